#include "indexer/app/work_directory.h"

#include "base/file_utils.h"
#include "base/path_utils.h"

#include <QFileInfo>

namespace melo {

void ClearWorkDirectory(const QString& workDir, int32_t slotCount) {
  if (workDir.trimmed().isEmpty()) return;
  for (int32_t i = 0; i < slotCount; ++i) {
    const QString subdir = JoinPath(workDir, QString::number(i));
    if (QFileInfo(subdir).isDir()) DeleteDirToRecycleBin(subdir);
  }
}

}  // namespace melo
