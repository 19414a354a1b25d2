#pragma once

#include "base/file_lock.h"
#include "base/program_paths.h"
#include "indexer/app/indexer_settings.h"
#include "indexer/database/database_file_lock.h"
#include "indexer/pipeline/process_media_file.h"

#include <QDateTime>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

namespace melo {

class Dialogs;
class FileQueue;
class IndexingMessages;
class TDataModule1;

// An indexing run: a one-second tick (and a tick as soon as a worker finishes)
// hands waiting queue entries to media workers,
// one per slot up to the Threads setting, collects their outcomes into the queue
// statuses and the three message lists, gives up on workers without a heartbeat for
// two hours, and ends the run when every slot is empty. Main thread only.
//
// A run takes its work directory for itself (see work_directory.h) from Start
// until it has ended and none of its workers runs any more; a second run on the
// same directory, in this process or another, is refused. For as long, it holds
// its database for indexing (see database_file_lock.h): no other program clears
// it or imports into it meanwhile, and a run is refused while one does.
class IndexingRun {
 public:
  enum class StartOutcome {
    Started,
    NoWorkDirectory,  // the window opens its settings on "База данных и рабочий каталог"
    NoDatabase,
    NoFfmpeg,         // ... on "Необходимые утилиты"
    NoSox,
    EmptyQueue,
    DatabaseNotWritable,  // read-only file or folder: the window opens "База данных и рабочий каталог"
    WorkDirectoryBusy,  // another run holds the work directory; the window may offer the settings page
    DatabaseBusy,       // another program clears the database, imports into it or adds landmarks
  };

  IndexingRun(FileQueue& queue, const IndexerSettings& settings, const ProgramPaths& paths,
              TDataModule1& store, Dialogs& dialogs, IndexingMessages& messages, int32_t slotCount);
  ~IndexingRun();

  // Not called while Stopping(): the stopping workers still hold their slots.
  StartOutcome Start();
  // Stops the run and waits, here, for the files being worked on.
  void Stop();
  // The same stop without holding the caller: the pause and the wait for running
  // files pass while the event loop turns (a window stays usable). `stopped` runs
  // after "Индексация остановлена!". A worker that finished before it was asked to
  // stop keeps its own outcome.
  void StopLater(std::function<void()> stopped = {});
  bool Stopping() const { return stopping_; }
  // One orchestration step; the run's timer calls it every second.
  void Tick();

  bool Running() const { return running_; }
  // Files of the current (or last) run that ended in an error or hung.
  int32_t Failures() const { return failures_; }
  int32_t Slots() const { return static_cast<int32_t>(slots_.size()); }
  int32_t BusySlots() const;

  // Called after the tick that found the run finished ("Задание выполнено!", or
  // "Задание выполнено с ошибками!" when a file failed).
  std::function<void()> onFinished;
  // The clock the hung-worker rule reads; tests move it.
  std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

 private:
  // The tick's steps: collect finished workers and give up on hung ones (how many
  // slots were emptied), fill free slots from the queue, end the run when nothing
  // is left to do.
  int32_t CollectWorkers(const QDateTime& now);
  // Whether rows can be stored; when not, says why (the file, its folder).
  bool DatabaseWritable();
  void StartWorkers();
  void FinishIfDone();
  // The steps of a stop: no new work, then every running worker asked to stop and
  // its file marked, then (once they have ended) the work folders cleared.
  void BeginStop();
  void AskWorkersToStop();
  bool WorkersEnded() const;
  void FinishStop();
  void Collect(std::unique_ptr<ProcessMediaFile>& slot, const QDateTime& now);
  void Dispose(std::unique_ptr<ProcessMediaFile> worker);
  // A worker given up on still runs in its slot's work folder: the slot takes no
  // new worker until it has ended.
  bool SlotStillHeld(int32_t slot) const;
  // Clears the slot folders and gives the work directory and the database free,
  // unless a worker given up on still runs (it may still store its file).
  void ReleaseWorkDirectory();

  FileQueue& queue_;
  const IndexerSettings& settings_;
  const ProgramPaths paths_;
  TDataModule1& store_;
  Dialogs& dialogs_;
  IndexingMessages& messages_;
  std::vector<std::unique_ptr<ProcessMediaFile>> slots_;
  std::vector<std::unique_ptr<ProcessMediaFile>> abandoned_;  // given up on, still running
  QString workDir_;  // the run's own, fixed at Start
  FileLock workDirLock_;
  DatabaseFileLock databaseLock_;
  QTimer timer_;
  bool running_ = false;
  int32_t failures_ = 0;
  bool inTick_ = false;
  bool stopping_ = false;
  QTimer stopPoll_;  // while stopping later: have the last workers ended?
  std::function<void()> afterStop_;
};

}  // namespace melo
