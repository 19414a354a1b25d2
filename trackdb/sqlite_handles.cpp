#include "trackdb/sqlite_handles.h"

#include <sqlite3.h>

namespace melo {

namespace {

constexpr int kBusyTimeoutMs = 5000;

}  // namespace

ReadOnlyDatabase::ReadOnlyDatabase(const QString& path) {
  if (sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db_);
    db_ = nullptr;
    return;
  }
  sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

ReadOnlyDatabase::~ReadOnlyDatabase() { sqlite3_close(db_); }

QString ReadOnlyDatabase::ErrorText() const { return QString::fromUtf8(sqlite3_errmsg(db_)); }

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql) {
  if (db) sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

}  // namespace melo
