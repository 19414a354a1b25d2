#include "base/file_utils.h"

#include "base/path_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <sys/stat.h>

namespace melo {

int64_t FileSize64(const QString& path) {
  const QFileInfo info(path);
  return info.exists() ? info.size() : -1;
}

int32_t CheckFileAccess(const QString& path) {
  if (!QFileInfo::exists(path)) return kFileMissing;
  {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return kFileNotReadable;
  }
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) return kFileNotAppendable;
  return kFileAccessOk;
}

bool SameFile(const QString& a, const QString& b) {
  // The device and inode numbers name the file itself, whatever path led to it.
  struct stat first {}, second {};
  if (::stat(QFile::encodeName(a).constData(), &first) != 0) return false;
  if (::stat(QFile::encodeName(b).constData(), &second) != 0) return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool IsDirWritable(const QString& dir) {
  QFile probe(JoinPath(dir, QStringLiteral("test.tmp")));
  if (!probe.open(QIODevice::WriteOnly)) return false;
  probe.close();
  probe.remove();
  return true;
}

bool SaveTextLines(const QString& path, const QStringList& lines) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  for (const QString& line : lines) file.write((line + QLatin1Char('\n')).toUtf8());
  return file.commit();
}

bool EnsureDirectory(const QString& dir) {
  if (dir.isEmpty()) return false;
  QDir().mkpath(dir);
  return QFileInfo(dir).isDir();
}

bool MoveToRecycleBin(const QString& path) {
  const QFileInfo entry(path);
  if (path.isEmpty() || (!entry.exists() && !entry.isSymLink())) return false;
  // Without the data location the trash would land in the current directory: no
  // trash then.
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (!QDir::isAbsolutePath(data) || !QDir().mkpath(data)) return false;
  QString trashedAt;
  if (!QFile::moveToTrash(path, &trashedAt) || !QFileInfo(trashedAt).isAbsolute()) return false;
  return !QFileInfo::exists(path);
}

}  // namespace melo
