#pragma once

#include "indexer/database/database_file_lock.h"
#include "indexer/pipeline/import_database.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace melo {

class Dialogs;
class TDataModule1;
class TDataModule2;

// The import window's state, without the window: the source connection, the
// import thread, its message list and every message the window shows.
//   idle --Start--> importing --summary--> finishing --Release--> idle
// The thread is freed by Release(), which the window runs from a short timer after
// the summary, never from inside the thread's own call.
class DatabaseImportRun {
 public:
  DatabaseImportRun(TDataModule1& store, TDataModule2& source, Dialogs& dialogs)
      : store_(store), source_(source), dialogs_(dialogs) {}
  ~DatabaseImportRun();

  void Reset() { lines_.clear(); }  // the window was shown

  // Checks the main database and the file, opens it, asks the backup question and
  // starts the import, which holds the main database alone until Release() (no
  // other program's indexing run stores into it meanwhile). False, with the reason
  // shown, when nothing started.
  bool Start(const QString& path, ImportDatabase::Policy policy);
  void Stop();  // the import ends after its current row and reports it
  // The summary has come: close the source and free the thread.
  void Release();

  bool Active() const { return thread_ != nullptr; }  // from Start until Release
  int32_t Progress() const { return thread_ ? thread_->Progress() : 0; }
  const QStringList& Lines() const { return lines_; }

  // For the window: lines were added; the summary came (arm the release timer).
  std::function<void()> onLinesChanged;
  std::function<void()> onSummary;

 private:
  void AddLines(const QStringList& lines);

  TDataModule1& store_;
  TDataModule2& source_;
  Dialogs& dialogs_;
  std::unique_ptr<ImportDatabase> thread_;
  DatabaseFileLock databaseLock_;
  QStringList lines_;
};

}  // namespace melo
