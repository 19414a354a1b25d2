#include "indexer/app/database_menu.h"

#include "base/dialogs.h"
#include "base/file_utils.h"
#include "base/path_utils.h"
#include "indexer/app/indexer_settings.h"
#include "indexer/database/database_file_lock.h"
#include "indexer/database/record_store.h"
#include "trackdb/schema.h"

#include <QFileInfo>

namespace melo {

namespace {
const QString kNotConnected = QStringLiteral("База данных не подключена!");
const QString kFailed = QStringLiteral("Операция завершилась ошибкой!");
}  // namespace

DatabaseMenu::DatabaseMenu(TDataModule1& store, IndexerSettings& settings, Dialogs& dialogs,
                           std::function<void()> writeSettings)
    : store_(store), settings_(settings), dialogs_(dialogs), writeSettings_(std::move(writeSettings)) {}

bool DatabaseMenu::Connect(const QString& path) {
  Disconnect();
  if (!store_.OpenDatabase(path)) return false;
  connectedPath_ = path;
  return true;
}

void DatabaseMenu::Disconnect() {
  store_.CloseDatabase();
  connectedPath_.clear();
}

void DatabaseMenu::OpenAtStartup() {
  // Connected already when the user was quicker than the start-up.
  if (settings_.dbPath.isEmpty() || store_.IsConnected()) return;
  if (QFileInfo(settings_.dbPath).isFile()) {
    Connect(settings_.dbPath);
  } else {
    settings_.dbPath.clear();
  }
}

bool DatabaseMenu::FollowSettings() {
  if (store_.IsConnected() && connectedPath_ == settings_.dbPath) return true;
  Disconnect();
  return QFileInfo(settings_.dbPath).isFile() && Connect(settings_.dbPath);
}

bool DatabaseMenu::RequireConnection() {
  if (store_.IsConnected()) return true;
  dialogs_.ShowMessage(kNotConnected);
  return false;
}

bool DatabaseMenu::ConnectInstead(const QString& path) {
  const QString previous = connectedPath_;
  if (Connect(path)) {
    settings_.dbPath = path;
    return true;
  }
  // A file that is no database leaves the user where he was.
  if (!previous.isEmpty()) Connect(previous);
  return false;
}

void DatabaseMenu::Create(const QString& chosenName) {
  if (chosenName.isEmpty() || !ConnectInstead(EnsureExtension(chosenName, QStringLiteral(".db")))) return;
  // A file chosen that holds a database already is opened as it is: creating the
  // table again would only fail, and nothing in it may be lost.
  if (store_.QueryScalar(QString::fromLatin1(sql::kHasDataTable)) == 0) store_.CreateTable();
  writeSettings_();
}

void DatabaseMenu::Clear() {
  if (!RequireConnection()) return;
  // Another program's run would go on storing into the emptied table.
  DatabaseFileLock lock;
  if (!lock.Take(connectedPath_, DatabaseFileLock::Use::Rewriting)) {
    dialogs_.ShowMessage(kDatabaseBeingIndexed);
    return;
  }
  if (!dialogs_.AskYesNo(QStringLiteral("Требуется подтверждение"), QStringLiteral("Вы точно хотите удалить все записи?"))) {
    return;
  }
  // Success is said only when the rows are gone; the table's own message has
  // named a failure already.
  if (!store_.ClearTable()) return;
  const bool compacted = store_.Vacuum();
  store_.Commit();
  dialogs_.ShowMessage(compacted ? QStringLiteral("База данных успешно очищена!") : kFailed);
}

void DatabaseMenu::Compact() {
  if (!RequireConnection()) return;
  dialogs_.ShowMessage(store_.Vacuum() ? QStringLiteral("База данных сжата!") : kFailed);
}

void DatabaseMenu::Switch(const QString& file) {
  if (file.isEmpty()) return;
  if (!QFileInfo(file).isFile()) {
    dialogs_.ShowMessage(QStringLiteral("Не найден файл: ") + file);
    return;
  }
  if (!ConnectInstead(file)) return;
  writeSettings_();
  if (CheckFileAccess(file) != kFileAccessOk) {
    dialogs_.ShowMessage(QStringLiteral("База данных доступна только для чтения: ") + file);
  }
}

}  // namespace melo
