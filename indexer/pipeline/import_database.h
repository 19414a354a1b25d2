#pragma once

#include "base/thread.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

namespace melo {

class TDataModule1;
class TDataModule2;
struct LandmarkRecord;
struct SourceTrack;
struct TrackInfo;

// Merges the rows of another database (open on TDataModule2) into the current one:
// every source row whose track (md5, size, audio track) is new is copied with all
// its columns, its fingerprint and its landmarks (under the row's new id); for
// tracks already present the old row stays, or is replaced. A row copied without
// landmarks (the source has none of this version for it, or damaged ones) is
// counted, and the summary says how to add them. Runs in its own thread holding the database lock (owner 1000).
//
// Nothing is lost on the way: a replaced row is deleted only together with the
// insertion of its successor, and kept when reading or inserting that fails; only
// rows really inserted (and committed) are counted. The copies are committed about
// once a second, between rows and before any message box, so a stop or a crash
// keeps what was copied before it.
//
// Nothing fails quietly either: a source row that cannot be read or stored is
// counted as failed, and an import with failures never ends with "Задание
// выполнено!" as if all went well.
class ImportDatabase : public Thread {
 public:
  enum class Policy { KeepOld, Replace };

  struct Counts {
    int32_t total = 0;
    int32_t processed = 0;
    int32_t ignored = 0;
    int32_t deleted = 0;
    int32_t added = 0;
    int32_t failed = 0;  // source rows that could be neither read nor stored
    int32_t withoutLandmarks = 0;  // rows added without landmarks
  };

  ImportDatabase(TDataModule1& store, TDataModule2& source, Policy policy);
  ~ImportDatabase() override;

  int32_t Progress() const { return progress_.load(); }
  Counts GetCounts() const;        // read after Finished()
  bool RanToTheEnd() const { return ranToTheEnd_; }

  // Run on the main thread, the import waiting for each.
  std::function<void(const QString&)> onAdd;          // a line for the message list
  std::function<void(const QString&)> onShow;         // a message box
  std::function<void(const QStringList&)> onSummary;  // the closing lines
  // What lies beneath a failure just added, in English (SQLite's own words, such
  // as "database is locked"); also written to my.log.
  std::function<void(const QString&)> onCause;

 protected:
  void Execute() override;

 private:
  class Batch;

  void Add(const QString& line);
  void Show(const QString& text);
  void AddAndShow(const QString& text);
  // A row that failed: counted, its line added (and shown when `show`), the cause
  // logged and passed on.
  void RowFailed(const QString& text, const QString& cause, bool show);
  void Summary();
  // Copies the rows (the caller holds the database lock); false when an error ended
  // the import early (it has been reported).
  bool ImportRows();
  // One source row: copied, ignored or replaced; false on an error that ends the
  // import.
  bool ImportRow(const SourceTrack& row, Batch& batch);
  void CopyNew(int32_t sourceId);
  // The source row's landmarks in the form they are stored in; false (the row is
  // copied without them) when it has none that a search could use.
  bool ReadLandmarks(int32_t sourceId, LandmarkRecord& landmarks);
  int32_t Insert(const TrackInfo& info, const std::vector<uint8_t>& records, int32_t sourceId);
  // Deletes the old row and inserts the source row in its place, or changes nothing.
  void Replace(const SourceTrack& row, Batch& batch);

  TDataModule1& store_;
  TDataModule2& source_;
  const Policy policy_;
  std::atomic<int32_t> progress_{0};
  Counts counts_;
  std::function<void()> beforeShow_;
  bool ranToTheEnd_ = false;
};

}  // namespace melo
