#pragma once

#include "base/thread.h"

#include <QString>
#include <atomic>
#include <functional>

namespace melo {

class TDataModule1;

// The database check: lists rows that would mislead the searcher (repeated tracks,
// empty columns, short or inconsistent fingerprints, missing source files, rows
// without usable landmarks and landmarks without a row) without changing anything. Runs in its own thread on the main connection, holding the
// database lock (owner 1000) from start to end; a failing statement ends only its
// own step.
class CheckDatabase : public Thread {
 public:
  struct Options {
    bool duplicates = true;   // "Проверять дубликаты записей (хэш, размер, номер аудио трека)"
    bool emptyFields = true;  // "Проверять пустые поля (хэши, индексные данные, описание)"
    bool sourceFiles = false; // "Проверять наличие исходных файлов (если индексация производилась локально)"
    bool indexValues = true;  // "Проверять значения индексов"
    bool indexSizes = true;   // "Проверять размеры индексов"
    bool landmarks = true;    // "Проверять ориентиры (наличие, версию и размер)"
  };

  CheckDatabase(TDataModule1& store, Options options);
  ~CheckDatabase() override;

  int32_t Progress() const { return progress_.load(); }  // 0 to 100, a sixth for each step
  // Pause between the last step and the finish call, so a progress bar shows 100 %.
  void SetFinishPause(int milliseconds) { finishPauseMs_ = milliseconds; }

  // Run on the main thread, the check waiting for each.
  std::function<void(const QString&)> onReport;  // one finding
  std::function<void(const QString&)> onError;   // a step failed
  std::function<void()> onFinish;

 protected:
  void Execute() override;

 private:
  void Report(const QString& line);
  void Error(const QString& text);
  void CountRows();
  void FindDuplicates();
  void FindEmptyFields();
  void FindMissingSources();
  void CheckFingerprints();
  // False when their statement failed.
  bool CheckLandmarks();
  bool FindOrphanLandmarks();

  TDataModule1& store_;
  const Options options_;
  std::atomic<int32_t> progress_{0};
  int finishPauseMs_ = 1000;
};

}  // namespace melo
