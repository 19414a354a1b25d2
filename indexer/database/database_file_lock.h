#pragma once

#include "base/file_lock.h"

#include <QString>

namespace melo {

// What a clear or an import says when it is refused for an indexing run.
inline const QString kDatabaseBeingIndexed =
    QStringLiteral("Базу данных пополняет другая индексация: дождитесь её завершения!");

// Who writes a database file, across processes. Indexing runs share it: each of
// their inserts is one row, and a track already stored is not stored again.
// Clearing and importing take it alone: a clear would delete the rows a run has
// just stored (while the run goes on believing them stored), and an import's long
// transactions would make a run's inserts give up waiting. A job that does not get
// the lock is refused rather than made to wait: a run may take hours.
//
// The lock is the file "<database>.lock" beside the database. It is not
// DatabaseLock (database_lock.h), which orders the threads of one process on their
// shared connection.
class DatabaseFileLock {
 public:
  enum class Use { Indexing, Rewriting };

  // False when another job holds the database in a way that excludes `use`. Where
  // no lock file can be opened or made (a folder the user may not write), nothing
  // is held and true is returned: the job's own writes fail there with their own
  // message.
  bool Take(const QString& databasePath, Use use);
  void Release() { lock_.Unlock(); }
  bool Held() const { return lock_.Locked(); }

  // The lock file of a database, the same for every path that leads to the file.
  static QString LockFileOf(const QString& databasePath);

 private:
  FileLock lock_;
};

}  // namespace melo
