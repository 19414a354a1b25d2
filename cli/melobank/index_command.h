#pragma once

#include <QStringList>

namespace melo::cli {

// melobank-cli index --db DB [options] PATH...
int RunIndexCommand(const QStringList& arguments);

}  // namespace melo::cli
