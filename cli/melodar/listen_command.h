#pragma once

#include <QStringList>

namespace melo::cli {

// melodar-cli listen --db DB [options]
int RunListenCommand(const QStringList& arguments);
// melodar-cli --list-sources
int ListSources();

}  // namespace melo::cli
