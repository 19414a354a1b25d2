#pragma once

#include "indexer/database/landmark_record.h"
#include "trackdb/track_info.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace SQLite {
class Database;
}

namespace melo {

class Dialogs;

// The indexer's record store: the connection to the current database and every
// statement run on it. Errors never escape an operation; they become the results
// documented below (a few also show a message or write a my.log line).
//
// Worker threads, the check and import threads and the auxiliary windows share the
// one connection, bracketing their statements with LockDatabase(own id) ...
// UnlockDatabase().
class TDataModule1 {
 public:
  // Lock owner id of the check and import threads and of the reading windows;
  // media workers use their slot numbers.
  static constexpr int32_t kSharedOwner = 1000;
  static constexpr int32_t kError = -1;
  static constexpr int32_t kNotFound = -3;       // FindRecord: no row has the track
  static constexpr int32_t kAlreadyStored = -3;  // InsertSQL: a row has the track already

  explicit TDataModule1(Dialogs& dialogs);
  ~TDataModule1();

  // Connects, creating an empty file (without table) when the path does not exist.
  // On failure shows "Ошибка подключения к базе данных!" and gives false.
  bool OpenDatabase(const QString& path);
  bool CloseDatabase();  // true when it was connected
  bool IsConnected() const;
  // The file the connection has open, as SQLite names it (absolute); empty when
  // not connected.
  QString FilePath() const;

  // Table Data and the landmark table beside it. "Ошибка создания таблицы!" on failure.
  bool CreateTable();
  // Indexes the track identity and the source path, so that the lookups of
  // indexing and import do not scan the table; done once per connection, by the
  // operations that write (a check or a browse leaves the file as it is).
  void EnsureLookupIndexes();
  // Deletes every row and every row's landmarks, both or neither. "Ошибка очистки
  // таблицы!" on failure.
  bool ClearTable();

  // The id of the first row of this track; kNotFound; kError.
  int64_t FindRecord(const TrackIdentity& track);
  // 0 inserted; kAlreadyStored when a row of the same track exists; kError. With
  // `landmarks`, the row and its landmarks (under the new row's id) go in as one
  // transaction: when either insert fails, neither is stored. Inside a transaction
  // of the caller's (the import's) the pair is a savepoint of it.
  int32_t InsertSQL(const TrackInfo& info, std::span<const uint8_t> records, const LandmarkRecord* landmarks = nullptr);
  // Stores (or replaces) the landmarks of row `id`, making the landmark table when
  // the file has none yet; false on an SQLite error (LastError says which).
  bool StoreLandmarks(int32_t id, const LandmarkRecord& landmarks);
  // 1 when a row has info.source_path, 0 when none, kError.
  int32_t CheckSourcePath(const TrackInfo& info);
  bool Vacuum();

  enum class WriteAccess {
    Writable,        // also when another program holds the file locked just now
    ReadOnlyFile,    // the file may not be written (or was opened read-only)
    ReadOnlyFolder,  // the file may, but its folder takes no journal beside it
    Failed,          // anything else; LastError() says what
  };
  // Whether a row could be stored, found out before any work is done for one: a
  // table is made inside a transaction that is rolled back, which needs all an
  // insert needs and leaves the file as it was.
  WriteAccess ProbeWrite();
  // Ends a transaction left open on the connection. With none open (every
  // statement commits itself) SQLite refuses it, and that is ignored.
  void Commit();
  // Column "res" of the first row; 0 on any error.
  int64_t QueryScalar(const QString& sql);
  // Columns "par" (text) and "val" (64-bit integer as decimal text) of every row.
  bool QueryPairs(const QString& sql, QStringList& pars, QStringList& vals);
  // All rows by source file name; multi-track files get " [track]" (1-based).
  bool ListRecords(QStringList& names, QStringList& ids);
  // Row `id` into info and buffer; true also when there is no such row (nothing
  // is changed then).
  bool GetRecord(int32_t id, TrackInfo& info, std::vector<uint8_t>& buffer);
  // Deletes the rows of this track with their landmarks, both or neither: 0 or kError.
  int32_t DeleteRecord(const TrackIdentity& track);

  // SQLite's own words (English) for the last failure of FindRecord, InsertSQL,
  // StoreLandmarks, CheckSourcePath, DeleteRecord or ProbeWrite, for logs and terminals ("database is locked",
  // "attempt to write a readonly database"); read it right after the failure,
  // while still holding the lock.
  const QString& LastError() const { return lastError_; }

  // Waits (polling every millisecond, without time limit) until the lock is free,
  // takes it for `owner` and returns `owner`.
  int32_t LockDatabase(int32_t owner);
  void UnlockDatabase() noexcept { lockId_.store(-1); }
  int32_t LockId() const noexcept { return lockId_.load(); }

  // The open connection, for the check's and the import's own statements; null when
  // not connected. Callers hold the lock.
  SQLite::Database* Connection() { return db_.get(); }

 private:
  // The connection, or an exception when there is none.
  SQLite::Database& Open();
  // Makes the landmark table when the file has none; throws on failure.
  void EnsureLandmarkTable();
  // Inserts the landmarks of row `id`; throws on failure.
  void InsertLandmarks(int64_t id, const LandmarkRecord& landmarks);

  Dialogs& dialogs_;
  std::unique_ptr<SQLite::Database> db_;
  bool lookupIndexesEnsured_ = false;
  QString lastError_;
  std::atomic<int32_t> lockId_{-1};
};

}  // namespace melo
