#include "gui/content_files.h"

#include "base/path_utils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace melo {

namespace {
QString& ContentDirOverride() {
  static QString dir;
  return dir;
}
}  // namespace

void SetContentDir(const QString& dir) { ContentDirOverride() = dir; }

QString ContentDir() {
  if (!ContentDirOverride().isEmpty()) return ContentDirOverride();
  const QString programDir = QCoreApplication::applicationDirPath();
  const QString beside = JoinPath(programDir, QStringLiteral("content"));
  if (QFileInfo(beside).isDir()) return beside;
  const QString installed =
      QDir::cleanPath(JoinPath(programDir, QStringLiteral("../../share/melobank/content")));
  if (QFileInfo(installed).isDir()) return installed;
  return beside;
}

QString ContentFile(const QString& name) { return JoinPath(ContentDir(), name); }

}  // namespace melo
