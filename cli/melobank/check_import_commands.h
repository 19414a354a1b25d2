#pragma once

#include <QStringList>

namespace melo::cli {

// melobank-cli check DB [--[no-]duplicates] [--[no-]empty] [--[no-]sources] [--[no-]values] [--[no-]sizes]
//                       [--[no-]landmarks]
int RunCheckCommand(const QStringList& arguments);
// melobank-cli import DB SOURCE.db [--replace]
int RunImportCommand(const QStringList& arguments);

}  // namespace melo::cli
