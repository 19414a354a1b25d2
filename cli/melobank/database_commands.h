#pragma once

#include <QStringList>

namespace melo::cli {

// melobank-cli create|list|show|vacuum|clear DB ...
int RunCreateCommand(const QStringList& arguments);
int RunListCommand(const QStringList& arguments);
int RunShowCommand(const QStringList& arguments);
int RunVacuumCommand(const QStringList& arguments);
int RunClearCommand(const QStringList& arguments);

}  // namespace melo::cli
