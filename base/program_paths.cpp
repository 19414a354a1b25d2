#include "base/program_paths.h"

#include "base/file_utils.h"
#include "base/path_utils.h"

#include <QStandardPaths>

namespace melo {

ProgramPaths ProgramPaths::For(const QString& programDir, const QString& programName) {
  QString dir = programDir;
  if (!IsDirWritable(dir)) {
    dir = JoinPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                   QStringLiteral("Melodar"));
    EnsureDirectory(dir);
  }
  const QString base = JoinPath(dir, programName);
  return {programDir, dir, base + QStringLiteral(".ini"), base + QStringLiteral(".log")};
}

}  // namespace melo
