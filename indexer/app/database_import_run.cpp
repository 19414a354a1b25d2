#include "indexer/app/database_import_run.h"

#include "base/dialogs.h"
#include "base/file_utils.h"
#include "indexer/database/import_source.h"
#include "indexer/database/record_store.h"

#include <QFileInfo>

namespace melo {

DatabaseImportRun::~DatabaseImportRun() {
  if (thread_) {
    thread_->Terminate();
    thread_->WaitFor();
  }
  source_.CloseDatabase();
}

bool DatabaseImportRun::Start(const QString& path, ImportDatabase::Policy policy) {
  if (thread_) return false;
  if (!store_.IsConnected()) {
    dialogs_.ShowMessage(QStringLiteral("Главная база данных не подключена!"));
    return false;
  }
  if (!QFileInfo(path).isFile()) {
    dialogs_.ShowMessage(QStringLiteral("Выберите импортируемую базу данных!"));
    return false;
  }
  // Every row would be found in itself: deleted and stored anew, or all listed as
  // duplicates.
  if (SameFile(path, store_.FilePath())) {
    dialogs_.ShowMessage(QStringLiteral("Нельзя импортировать базу данных в саму себя!"));
    return false;
  }
  if (!databaseLock_.Take(store_.FilePath(), DatabaseFileLock::Use::Rewriting)) {
    dialogs_.ShowMessage(kDatabaseBeingIndexed);
    return false;
  }
  if (!source_.OpenDatabase(path)) {
    databaseLock_.Release();
    dialogs_.ShowMessage(QStringLiteral("Ошибка подключения импортируемой базы данных!"));
    return false;
  }
  if (!dialogs_.AskYesNo(QStringLiteral("Рекомендуется сделать копии данных"),
                         QStringLiteral("Если что то пойдёт не так, Вы можете потерять свои данные. "
                                        "Сделали бэкап? Хотите продолжить?"))) {
    // Nothing will read the file until the next import opens it again.
    source_.CloseDatabase();
    databaseLock_.Release();
    return false;
  }
  thread_ = std::make_unique<ImportDatabase>(store_, source_, policy);
  thread_->onAdd = [this](const QString& line) { AddLines({line}); };
  thread_->onShow = [this](const QString& text) { dialogs_.ShowMessage(text); };
  thread_->onSummary = [this](const QStringList& lines) {
    AddLines(lines);
    if (onSummary) onSummary();
  };
  lines_.clear();
  if (onLinesChanged) onLinesChanged();
  thread_->Start();
  return true;
}

void DatabaseImportRun::Stop() {
  if (thread_) thread_->Terminate();
}

void DatabaseImportRun::Release() {
  thread_.reset();  // joins the thread, which has nothing left to do but end
  source_.CloseDatabase();
  databaseLock_.Release();
}

void DatabaseImportRun::AddLines(const QStringList& lines) {
  lines_.append(lines);
  if (onLinesChanged) onLinesChanged();
}

}  // namespace melo
