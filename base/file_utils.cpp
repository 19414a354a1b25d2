#include "base/file_utils.h"

#include "base/file_listing.h"
#include "base/path_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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

bool DeleteFilesInDir(const QString& dir) {
  if (dir.isEmpty()) return false;
  QStringList files;
  ListFiles(dir, QStringLiteral("*"), true, false, files);
  bool all = true;
  for (const QString& file : files) all = QFile::remove(file) && all;
  return all;
}

bool DeleteDirToRecycleBin(const QString& dir) {
  if (dir.isEmpty() || !QFileInfo(dir).isDir()) return false;
  // Without the data location the trash would land in the current directory.
  QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
  QString trashedAt;
  if (!QFile::moveToTrash(dir, &trashedAt) || !QFileInfo(trashedAt).isAbsolute()) return false;
  return !QFileInfo::exists(dir);
}

}  // namespace melo
