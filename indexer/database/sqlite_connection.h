#pragma once

#include <QString>
#include <memory>

namespace SQLite {
class Database;
class Statement;
class Column;
}  // namespace SQLite

namespace melo {

// Opens a database file for reading and writing, creating an empty file when none
// exists, and checks that it really is an SQLite database. The connection is
// serialised, so threads that take turns (under the database lock) may share it,
// and it waits a few seconds for a database that another process holds locked
// instead of failing at once. Null on any error.
std::unique_ptr<SQLite::Database> OpenSqliteFile(const QString& path);

// Runs a statement (or several) that returns no rows; false on any error, and
// without a connection.
bool RunStatement(SQLite::Database* db, const char* sql);

// Text helpers for SQLite's UTF-8 columns and parameters.
QString ColumnText(const SQLite::Column& column);
void BindText(SQLite::Statement& statement, const char* name, const QString& value);

}  // namespace melo
