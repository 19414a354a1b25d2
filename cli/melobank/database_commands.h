#pragma once

#include <QString>
#include <QStringList>

namespace melo {
class TDataModule1;
}

namespace melo::cli {

// Opens an existing database; a missing file is refused (with a message) rather
// than created.
bool OpenExistingDatabase(TDataModule1& store, const QString& path);

// melobank-cli create|list|show|vacuum|clear DB ...
int RunCreateCommand(const QStringList& arguments);
int RunListCommand(const QStringList& arguments);
int RunShowCommand(const QStringList& arguments);
int RunVacuumCommand(const QStringList& arguments);
int RunClearCommand(const QStringList& arguments);

}  // namespace melo::cli
