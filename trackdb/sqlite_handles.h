#pragma once

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace melo {

// A read-only connection to an existing database file; a missing file is not
// created. It waits a few seconds for a file that another process holds locked
// instead of failing at once. get() is null when the file cannot be opened.
class ReadOnlyDatabase {
 public:
  explicit ReadOnlyDatabase(const QString& path);
  ~ReadOnlyDatabase();
  ReadOnlyDatabase(const ReadOnlyDatabase&) = delete;
  ReadOnlyDatabase& operator=(const ReadOnlyDatabase&) = delete;

  sqlite3* get() const { return db_; }
  // SQLite's text for the last error on this connection.
  QString ErrorText() const;

 private:
  sqlite3* db_ = nullptr;
};

// A statement prepared on `db` and finalised with the object; get() is null when it
// could not be prepared (also when db is null).
class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, const char* sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace melo
