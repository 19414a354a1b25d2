#include "indexer/database/sqlite_connection.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

namespace melo {

namespace {

constexpr int kBusyTimeoutMs = 5000;

}  // namespace

std::unique_ptr<SQLite::Database> OpenSqliteFile(const QString& path) {
  if (path.isEmpty()) return nullptr;
  try {
    auto db = std::make_unique<SQLite::Database>(
        path.toStdString(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
        kBusyTimeoutMs);
    // SQLite reads the header lazily; a file that is no database fails here.
    db->execAndGet("SELECT count(*) FROM sqlite_master");
    return db;
  } catch (const std::exception&) {
    return nullptr;
  }
}

bool RunStatement(SQLite::Database* db, const char* sql) {
  if (!db) return false;
  try {
    db->exec(sql);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

QString ColumnText(const SQLite::Column& column) {
  return QString::fromUtf8(static_cast<const char*>(column.getBlob()), column.getBytes());
}

void BindText(SQLite::Statement& statement, const char* name, const QString& value) {
  statement.bind(name, value.toStdString());
}

}  // namespace melo
