#pragma once

#include <QStringList>

namespace melo::cli {

// melodar-cli search --db DB [options] QUERY...
int RunSearchCommand(const QStringList& arguments);

}  // namespace melo::cli
