#pragma once

#include "base/file_lock.h"
#include "indexer/database/database_file_lock.h"
#include "indexer/pipeline/add_landmarks.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace melo {

class Dialogs;
class TDataModule1;

// The line the window lists for a row that got no landmarks: "Id=N<TAB>why: path".
QString SkippedRowLine(const SkippedRow& row);

// The state of the window that adds landmarks to a database's rows, without the
// window: the refusals before a start, the thread, its lines and every message.
//   idle --Start--> running --finish call (also after Stop)--> idle
// From Start to the finish the run holds the database alone (no indexing run, clear
// or import meanwhile, in this program or another) and the work directory (no
// indexing run decodes there).
class DatabaseLandmarkRun {
 public:
  DatabaseLandmarkRun(TDataModule1& store, Dialogs& dialogs) : store_(store), dialogs_(dialogs) {}
  ~DatabaseLandmarkRun();

  void Reset();  // the window was shown

  enum class StartOutcome {
    Started,
    Running,
    NotConnected,
    NoFfmpeg,
    NoSox,
    NoWorkDirectory,
    NotWritable,        // a read-only file or folder, or another write problem
    DatabaseBusy,       // an indexing run, a clear or an import holds the database
    WorkDirectoryBusy,  // an indexing run decodes in the work directory
    WorkFolderUnusable,
  };
  // Starts adding landmarks with these tools, working in tools.toolDir (the work
  // directory; the default one is made when missing). Unless Started, nothing
  // started and the reason has been shown.
  StartOutcome Start(const DecodingTools& tools);
  // "Добавление ориентиров ещё не запущено!" while idle; otherwise stops the thread
  // (its running tool killed) and waits for it. What it stored stays.
  bool Stop();
  // False, after "Дождитесь окончания добавления ориентиров или остановите его!", while running.
  bool MayClose();

  bool Running() const { return running_; }
  int32_t Progress() const;
  // The skipped rows as they come, then the summary.
  const QStringList& Lines() const { return lines_; }
  QString StatusText() const;  // "Добавлено ориентиров: N, пропущено записей: M"
  // The running or last run's counts (zeros before the first); rows and without
  // are known at its end.
  AddLandmarks::Counts Counts() const { return counts_; }

  // Read after the end: false when the rows could not be read, or the run was
  // stopped before the last.
  bool RowsRead() const { return rowsRead_; }
  bool RanToTheEnd() const { return ranToTheEnd_; }

  std::function<void(const QString&)> onLine;
  std::function<void(const SkippedRow&)> onSkipped;  // beside its line, for a terminal
  std::function<void()> onStateChanged;

 private:
  StartOutcome Refused(StartOutcome outcome, const QString& message);
  void Finish();
  void ReleaseLocks();

  TDataModule1& store_;
  Dialogs& dialogs_;
  std::unique_ptr<AddLandmarks> thread_;
  DatabaseFileLock databaseLock_;
  FileLock workDirLock_;
  QString workDir_;
  QStringList lines_;
  AddLandmarks::Counts counts_;
  bool running_ = false;
  bool rowsRead_ = true;
  bool ranToTheEnd_ = false;
};

}  // namespace melo
