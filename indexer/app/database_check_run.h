#pragma once

#include "indexer/pipeline/check_database.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace melo {

class Dialogs;
class TDataModule1;

// The check window's state, without the window: the running flag, the check
// thread, its findings and every message the window shows.
//   idle --Start--> running --finish call (also after Stop)--> idle
class DatabaseCheckRun {
 public:
  DatabaseCheckRun(TDataModule1& store, Dialogs& dialogs) : store_(store), dialogs_(dialogs) {}
  ~DatabaseCheckRun();

  // The window was shown: no findings, not running (a thread still running from
  // before is not possible: the window cannot close while one runs).
  void Reset();
  // "Проверка уже начата!" while running; otherwise starts a new check thread with
  // these options (the previous thread object is freed first). True when started.
  bool Start(const CheckDatabase::Options& options);
  // "Проверка ещё не запущена!" while idle; otherwise asks the thread to end and
  // waits for it, its last findings and its finish call still arriving.
  bool Stop();
  // False, after "Дождитесь окончания проверки или остановите её!", while running.
  bool MayClose();

  bool Running() const { return running_; }
  const QStringList& Findings() const { return findings_; }
  int32_t Progress() const;
  QString StatusText() const;  // "Количество сообщений: N"

  // Tests do not wait for the pause that lets a progress bar show 100 %.
  void SetFinishPause(int milliseconds) { finishPauseMs_ = milliseconds; }

  // For the window: a finding was added; the run started or ended.
  std::function<void(const QString&)> onFinding;
  std::function<void()> onStateChanged;

 private:
  void Finish();

  TDataModule1& store_;
  Dialogs& dialogs_;
  std::unique_ptr<CheckDatabase> thread_;
  QStringList findings_;
  bool running_ = false;
  int finishPauseMs_ = -1;
};

}  // namespace melo
