#pragma once

#include <QString>
#include <QStringList>

namespace melo {
class DatabaseFileLock;
class TDataModule1;
}

namespace melo::cli {

// Opens an existing database; a missing file is refused (with a message) rather
// than created.
bool OpenExistingDatabase(TDataModule1& store, const QString& path);

// Takes the database for a clear or an import; refused (with a message) while an
// indexing run, of this user or another program, stores into it: a run may take
// hours, and neither job may pull rows from under it.
bool TakeForRewriting(DatabaseFileLock& lock, const QString& path);

// melobank-cli create|list|show|vacuum|clear DB ...
int RunCreateCommand(const QStringList& arguments);
int RunListCommand(const QStringList& arguments);
int RunShowCommand(const QStringList& arguments);
int RunVacuumCommand(const QStringList& arguments);
int RunClearCommand(const QStringList& arguments);

}  // namespace melo::cli
