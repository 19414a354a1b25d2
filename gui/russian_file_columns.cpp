#include "gui/russian_file_columns.h"

#include <QFileInfo>
#include <QFileSystemModel>
#include <QLocale>

namespace melo {

namespace {


QString SizeText(qint64 bytes) {
  if (bytes < 1024) return QStringLiteral("%1 байт").arg(bytes);
  return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

}  // namespace

QVariant RussianFileColumns::data(const QModelIndex& index, int role) const {
  const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
  if (!files || role != Qt::DisplayRole || index.column() == kName) return QIdentityProxyModel::data(index, role);
  const QModelIndex source = mapToSource(index);
  const QFileInfo file = files->fileInfo(source);
  switch (index.column()) {
    case kSize: return file.isDir() ? QString() : SizeText(files->size(source));
    // A file's type is its MIME type's description, which is in the program's
    // language already ("Аудио MP3"); a folder's is Qt's untranslated word.
    case kType:
      if (file.isRoot()) return QStringLiteral("Диск");
      if (file.isDir()) return QStringLiteral("Папка");
      return QIdentityProxyModel::data(index, role);
    case kModified: return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    default: return QIdentityProxyModel::data(index, role);
  }
}

}  // namespace melo
