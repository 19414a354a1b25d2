#pragma once

#include <QString>

namespace melo {

// Where a program keeps its settings and logs: beside the program file when that
// folder is writable, otherwise in the user's data folder under "Melodar" (so an
// installation in a system folder works for an ordinary user).
struct ProgramPaths {
  QString programDir;    // the folder of the program file
  QString dataDir;       // the program folder, or the fallback in the user's data
  QString settingsFile;  // dataDir/<name>.ini
  QString programLog;    // dataDir/<name>.log

  static ProgramPaths For(const QString& programDir, const QString& programName);
};

}  // namespace melo
