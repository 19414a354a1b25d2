#include "indexer/app/work_directory.h"

#include "base/file_lock.h"
#include "base/path_utils.h"
#include "indexer/pipeline/work_subfolder.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace melo {

QString WorkDirectoryLockFile(const QString& workDir) { return JoinPath(workDir, QStringLiteral(".melobank.lock")); }

QString DefaultWorkDirectory() {
  return JoinPath(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
                  QStringLiteral("Melobank/work"));
}

bool LockWorkDirectory(const QString& workDir, FileLock& lock) {
  return lock.TryLock(WorkDirectoryLockFile(workDir));
}

bool ClearWorkDirectory(const QString& workDir, int32_t slotCount, const FileLock* held) {
  if (workDir.trimmed().isEmpty() || !QFileInfo(workDir).isDir()) return true;
  FileLock own;
  const bool holding = held && held->Locked() && held->Path() == WorkDirectoryLockFile(workDir);
  if (!holding && !LockWorkDirectory(workDir, own)) return false;
  for (int32_t i = 0; i < slotCount; ++i) RemoveWorkSubfolder(JoinPath(workDir, QString::number(i)));
  return true;
}

}  // namespace melo
