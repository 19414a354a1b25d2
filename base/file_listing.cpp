#include "base/file_listing.h"

#include "base/path_utils.h"

#include <QDir>

namespace melo {

void ListFiles(const QString& directory, const QString& mask, bool recurse,
               bool includeDirectories, QStringList& list) {
  if (directory.isEmpty()) return;
  const QDir dir(directory);
  const QDir::SortFlags order = QDir::Name | QDir::IgnoreCase;
  const QString filter = mask == QLatin1String("*.*") ? QStringLiteral("*") : mask;
  for (const QString& name : dir.entryList({filter}, QDir::Files, order)) {
    list.append(JoinPath(directory, name));
  }
  if (!recurse) return;
  const auto subdirectories = QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks;
  for (const QString& name : dir.entryList(subdirectories, order)) {
    const QString path = JoinPath(directory, name);
    if (includeDirectories) list.append(path);
    ListFiles(path, mask, true, includeDirectories, list);
  }
}

}  // namespace melo
