#include "indexer/app/database_write_access.h"

#include <QFileInfo>

namespace melo {

QString WriteRefusal(TDataModule1::WriteAccess access, const QString& databasePath) {
  switch (access) {
    case TDataModule1::WriteAccess::Writable:
      return {};
    case TDataModule1::WriteAccess::ReadOnlyFile:
      return QStringLiteral("База данных доступна только для чтения: ") + databasePath;
    case TDataModule1::WriteAccess::ReadOnlyFolder:
      return QStringLiteral("Нет права на запись в каталог базы данных: ") + QFileInfo(databasePath).absolutePath();
    case TDataModule1::WriteAccess::Failed:
      break;
  }
  return QStringLiteral("Запись в базу данных невозможна: ") + databasePath;
}

}  // namespace melo
