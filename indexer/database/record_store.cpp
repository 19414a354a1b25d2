#include "indexer/database/record_store.h"

#include "base/dialogs.h"
#include "base/log_writer.h"
#include "fingerprint/index_record.h"
#include "landmarks/landmark_blob.h"
#include "indexer/database/sqlite_connection.h"
#include "trackdb/landmark_row.h"
#include "trackdb/schema.h"
#include "trackdb/track_row.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <chrono>
#include <thread>

namespace melo {

namespace {

// Rows with fewer records are still stored, with a diagnostic line: the indexer
// never produces them, so they hint at a problem upstream.
constexpr int32_t kUsualMinimumRecords = 60;

void BindTrackIdentity(SQLite::Statement& statement, const TrackIdentity& track) {
  BindText(statement, ":MD5", track.md5);
  statement.bind(":SOURCESIZE", static_cast<int64_t>(track.source_size));
  statement.bind(":AUDIOTRACK", track.audio_track);
}

// Runs `change` (statements that throw on failure) so that it happens wholly or not
// at all: a savepoint, which is a transaction of its own outside the caller's and a
// part of the caller's inside one. Throws what `change` threw, after the rollback.
// Outside a transaction the release is the commit, which a reader of the file can
// refuse (busy): the whole transaction is then rolled back, so that nothing stays
// pending for a later commit to store behind a failure already reported.
template <typename Change>
void Atomically(SQLite::Database& db, const char* name, Change change) {
  const std::string savepoint = name;
  const bool outermost = sqlite3_get_autocommit(db.getHandle()) != 0;
  db.exec("SAVEPOINT " + savepoint);
  try {
    change();
    db.exec("RELEASE " + savepoint);
  } catch (...) {
    try {
      if (!outermost) {
        db.exec("ROLLBACK TO " + savepoint);
        db.exec("RELEASE " + savepoint);
      } else if (sqlite3_get_autocommit(db.getHandle()) == 0) {
        db.exec("ROLLBACK");
      }
    } catch (const std::exception&) {
      // A rollback that fails leaves SQLite's own automatic rollback, if any.
    }
    throw;
  }
}

}  // namespace

TDataModule1::TDataModule1(Dialogs& dialogs) : dialogs_(dialogs) {}

TDataModule1::~TDataModule1() = default;

bool TDataModule1::OpenDatabase(const QString& path) {
  db_.reset();
  db_ = OpenSqliteFile(path);
  if (!db_) {
    dialogs_.ShowMessage(QStringLiteral("Ошибка подключения к базе данных!"));
    return false;
  }
  lookupIndexesEnsured_ = false;
  return true;
}

bool TDataModule1::CloseDatabase() {
  const bool wasConnected = db_ != nullptr;
  db_.reset();
  return wasConnected;
}

bool TDataModule1::IsConnected() const { return db_ != nullptr; }

QString TDataModule1::FilePath() const {
  if (!db_) return {};
  const char* name = sqlite3_db_filename(db_->getHandle(), "main");
  return name ? QString::fromUtf8(name) : QString();
}

bool TDataModule1::CreateTable() {
  if (RunStatement(db_.get(), sql::kCreateTable) && RunStatement(db_.get(), sql::kCreateLandmarksTable)) {
    EnsureLookupIndexes();
    return true;
  }
  dialogs_.ShowMessage(QStringLiteral("Ошибка создания таблицы!"));
  return false;
}

bool TDataModule1::ClearTable() {
  try {
    SQLite::Database& db = Open();
    const bool withLandmarks = HasLandmarkTable(db.getHandle());
    Atomically(db, "clear_tables", [&] {
      db.exec(sql::kClearTable);
      if (withLandmarks) db.exec(sql::kClearLandmarks);
    });
    return true;
  } catch (const std::exception& e) {
    lastError_ = QString::fromUtf8(e.what());
  }
  dialogs_.ShowMessage(QStringLiteral("Ошибка очистки таблицы!"));
  return false;
}

int64_t TDataModule1::FindRecord(const TrackIdentity& track) {
  try {
    SQLite::Statement query(Open(), sql::kFindTrack);
    BindTrackIdentity(query, track);
    return query.executeStep() ? query.getColumn(0).getInt64() : kNotFound;
  } catch (const std::exception& e) {
    lastError_ = QString::fromUtf8(e.what());
    return kError;
  }
}

void TDataModule1::EnsureLookupIndexes() {
  if (lookupIndexesEnsured_) return;
  // Fails harmlessly without a table or on a read-only file; tried again next time.
  lookupIndexesEnsured_ = RunStatement(db_.get(), sql::kCreateLookupIndexes);
}

int32_t TDataModule1::InsertSQL(const TrackInfo& info, std::span<const uint8_t> records,
                                const LandmarkRecord* landmarks) {
  EnsureLookupIndexes();
  const int64_t found = FindRecord(info.Identity());
  if (found == kError) return kError;
  if (found != kNotFound) return kAlreadyStored;
  if (info.records < kUsualMinimumRecords) {
    WriteMyLog(QStringLiteral("InsertSQL Info.IndexSize=%1").arg(info.records));
  }
  try {
    const size_t bytes = static_cast<size_t>(std::max(info.records, int32_t{0})) * IndexRecord::kSize;
    if (bytes > records.size()) throw std::length_error("fewer record bytes than records");
    SQLite::Statement insert(*db_, sql::kInsert);
    insert.bind(":SOURCESIZE", static_cast<int64_t>(info.source_size));
    BindText(insert, ":SHA2", info.sha2);
    BindText(insert, ":MD5", info.md5);
    insert.bind(":DURATION", info.duration);
    BindText(insert, ":SOURCEPATH", info.source_path);
    BindText(insert, ":SOURCEFILENAME", info.source_file_name);
    BindText(insert, ":EXTENSION", info.extension);
    BindText(insert, ":TYPE", info.type);
    insert.bind(":AUDIOTRACK", info.audio_track);
    insert.bind(":ALLTRACKS", info.all_tracks);
    BindText(insert, ":CREATED", info.created);
    BindText(insert, ":INFO", info.info);
    // Bound as text on purpose: the column's integer affinity stores it as a number.
    BindText(insert, ":RECORDS", QString::number(info.records));
    // SQLite takes a null pointer for NULL; an empty fingerprint is an empty blob.
    static const uint8_t kNothing = 0;
    insert.bind(":INDEXDATA", bytes > 0 ? records.data() : &kNothing, static_cast<int>(bytes));
    if (!landmarks) {
      insert.exec();
      return 0;
    }
    EnsureLandmarkTable();
    Atomically(*db_, "insert_row", [&] {
      insert.exec();
      InsertLandmarks(db_->getLastInsertRowid(), *landmarks);
    });
    return 0;
  } catch (const std::exception& e) {
    lastError_ = QString::fromUtf8(e.what());
    WriteMyLog(QStringLiteral("Query insert error! ") + lastError_);
    return kError;
  }
}

bool TDataModule1::StoreLandmarks(int32_t id, const LandmarkRecord& landmarks) {
  try {
    Open();
    EnsureLandmarkTable();
    InsertLandmarks(id, landmarks);
    return true;
  } catch (const std::exception& e) {
    lastError_ = QString::fromUtf8(e.what());
    WriteMyLog(QStringLiteral("Landmarks insert error! ") + lastError_);
    return false;
  }
}

void TDataModule1::EnsureLandmarkTable() {
  // Looked up each time rather than remembered: a transaction of the import's that
  // made the table may have been rolled back since.
  SQLite::Database& db = Open();
  if (!HasLandmarkTable(db.getHandle())) db.exec(sql::kCreateLandmarksTable);
}

void TDataModule1::InsertLandmarks(int64_t id, const LandmarkRecord& landmarks) {
  SQLite::Statement insert(Open(), sql::kInsertLandmarks);
  insert.bind(":ID", static_cast<int64_t>(id));
  insert.bind(":VERSION", landmarks::kLandmarkVersion);
  insert.bind(":FRAMES", landmarks.frames);
  insert.bind(":COUNT", landmarks.count);
  // A track without a landmark is an empty blob, not NULL (the column is NOT NULL).
  static const uint8_t kNothing = 0;
  insert.bind(":DATA", landmarks.data.empty() ? &kNothing : landmarks.data.data(),
              static_cast<int>(landmarks.data.size()));
  insert.exec();
}

int32_t TDataModule1::CheckSourcePath(const TrackInfo& info) {
  try {
    SQLite::Statement query(Open(), sql::kFindSourcePath);
    BindText(query, ":SOURCEPATH", info.source_path);
    return query.executeStep() ? 1 : 0;
  } catch (const std::exception& e) {
    lastError_ = QString::fromUtf8(e.what());
    WriteMyLog(QStringLiteral("CheckSourcePath error! ") + lastError_);
    return kError;
  }
}

TDataModule1::WriteAccess TDataModule1::ProbeWrite() {
  if (!db_) return WriteAccess::Failed;
  // A file without write permission is opened for reading only, silently.
  if (sqlite3_db_readonly(db_->getHandle(), "main") == 1) {
    lastError_ = QStringLiteral("the database file is open for reading only");
    return WriteAccess::ReadOnlyFile;
  }
  try {
    SQLite::Transaction probe(*db_);  // rolled back when it goes out of scope
    db_->exec("CREATE TABLE melo_write_probe (x)");
    return WriteAccess::Writable;
  } catch (const SQLite::Exception& e) {
    lastError_ = QString::fromUtf8(e.what());
    const int code = e.getErrorCode();
    // Another program writing just now: the inserts wait for it as this probe did.
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED) return WriteAccess::Writable;
    // The journal beside the file could not be made.
    if (e.getExtendedErrorCode() == SQLITE_READONLY_DIRECTORY || code == SQLITE_CANTOPEN) {
      return WriteAccess::ReadOnlyFolder;
    }
    return code == SQLITE_READONLY ? WriteAccess::ReadOnlyFile : WriteAccess::Failed;
  }
}

bool TDataModule1::Vacuum() { return RunStatement(db_.get(), sql::kVacuum); }

void TDataModule1::Commit() { RunStatement(db_.get(), sql::kCommit); }

int64_t TDataModule1::QueryScalar(const QString& sql) {
  if (!db_) return 0;
  try {
    SQLite::Statement query(*db_, sql.toStdString());
    return query.executeStep() ? query.getColumn("res").getInt64() : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

bool TDataModule1::QueryPairs(const QString& sql, QStringList& pars, QStringList& vals) {
  pars.clear();
  vals.clear();
  if (!db_) return false;
  try {
    SQLite::Statement query(*db_, sql.toStdString());
    while (query.executeStep()) {
      pars.append(ColumnText(query.getColumn("par")));
      vals.append(QString::number(query.getColumn("val").getInt64()));
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TDataModule1::ListRecords(QStringList& names, QStringList& ids) {
  names.clear();
  ids.clear();
  if (!db_) return false;
  try {
    SQLite::Statement query(*db_, sql::kListRecords);
    while (query.executeStep()) {
      ids.append(QString::number(query.getColumn(0).getInt()));
      QString name = ColumnText(query.getColumn(1));
      if (query.getColumn(3).getInt64() >= 2) {
        name += QStringLiteral(" [%1]").arg(query.getColumn(2).getInt64() + 1);
      }
      names.append(name);
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TDataModule1::GetRecord(int32_t id, TrackInfo& info, std::vector<uint8_t>& buffer) {
  if (!db_) return false;
  return ReadTrackRow(db_->getHandle(), id, info, buffer);
}

int32_t TDataModule1::DeleteRecord(const TrackIdentity& track) {
  try {
    SQLite::Database& db = Open();
    const bool withLandmarks = HasLandmarkTable(db.getHandle());
    Atomically(db, "delete_track", [&] {
      if (withLandmarks) {
        SQLite::Statement landmarks(db, sql::kDeleteLandmarksOfTrack);
        BindTrackIdentity(landmarks, track);
        landmarks.exec();
      }
      SQLite::Statement del(db, sql::kDeleteTrack);
      BindTrackIdentity(del, track);
      del.exec();
    });
    return 0;
  } catch (const std::exception& e) {
    lastError_ = QString::fromUtf8(e.what());
    return kError;
  }
}

SQLite::Database& TDataModule1::Open() {
  if (!db_) throw std::runtime_error("the database is not connected");
  return *db_;
}

int32_t TDataModule1::LockDatabase(int32_t owner) {
  using std::chrono::milliseconds;
  for (;;) {
    while (lockId_.load() != -1) std::this_thread::sleep_for(milliseconds(1));
    int32_t expected = -1;
    if (lockId_.compare_exchange_strong(expected, owner)) break;
  }
  // Gives a thread that just released the lock time to leave its statement.
  std::this_thread::sleep_for(milliseconds(3));
  return owner;
}

}  // namespace melo
