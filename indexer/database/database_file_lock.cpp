#include "indexer/database/database_file_lock.h"

#include <QFileInfo>

namespace melo {

QString DatabaseFileLock::LockFileOf(const QString& databasePath) {
  const QFileInfo file(databasePath);
  const QString real = file.canonicalFilePath();
  return (real.isEmpty() ? file.absoluteFilePath() : real) + QStringLiteral(".lock");
}

bool DatabaseFileLock::Take(const QString& databasePath, Use use) {
  const auto mode = use == Use::Indexing ? FileLock::Mode::Shared : FileLock::Mode::Exclusive;
  if (lock_.TryLock(LockFileOf(databasePath), mode)) return true;
  return !lock_.HeldElsewhere();
}

}  // namespace melo
