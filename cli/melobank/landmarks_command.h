#pragma once

#include <QStringList>

namespace melo::cli {

// melobank-cli landmarks --db DB [--work-dir DIR] [--ffmpeg PATH] [--sox PATH]
int RunLandmarksCommand(const QStringList& arguments);

}  // namespace melo::cli
