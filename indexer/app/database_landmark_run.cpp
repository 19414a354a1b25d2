#include "indexer/app/database_landmark_run.h"

#include "base/dialogs.h"
#include "base/file_utils.h"
#include "base/path_utils.h"
#include "indexer/app/database_write_access.h"
#include "indexer/app/work_directory.h"
#include "indexer/database/record_store.h"
#include "indexer/pipeline/work_subfolder.h"

#include <QFileInfo>

namespace melo {

namespace {

// The run decodes in one folder of the work directory, the first slot's: a run
// holding the directory leaves it to nobody else meanwhile.
constexpr int32_t kSlot = 0;

}  // namespace

QString SkippedRowLine(const SkippedRow& row) {
  QString why;
  switch (row.reason) {
    case SkippedRow::Reason::SourceMissing: why = QStringLiteral("Исходный файл не найден: "); break;
    case SkippedRow::Reason::SourceChanged:
      why = QStringLiteral("Исходный файл изменён (размер или MD5 не совпадают): ");
      break;
    case SkippedRow::Reason::DecodingFailed: why = QStringLiteral("Не удалось декодировать исходный файл: "); break;
    case SkippedRow::Reason::StoreFailed: why = QStringLiteral("Ошибка записи ориентиров в базу данных: "); break;
  }
  return QStringLiteral("Id=%1\t").arg(row.id) + why + row.sourcePath;
}

DatabaseLandmarkRun::~DatabaseLandmarkRun() {
  // The thread's calls reach this object until it has ended.
  if (thread_) {
    thread_->Terminate();
    thread_->WaitFor();
  }
}

void DatabaseLandmarkRun::Reset() {
  if (running_) return;
  lines_.clear();
}

DatabaseLandmarkRun::StartOutcome DatabaseLandmarkRun::Refused(StartOutcome outcome, const QString& message) {
  ReleaseLocks();
  dialogs_.ShowMessage(message);
  return outcome;
}

DatabaseLandmarkRun::StartOutcome DatabaseLandmarkRun::Start(const DecodingTools& tools) {
  if (running_) {
    dialogs_.ShowMessage(QStringLiteral("Добавление ориентиров уже идёт!"));
    return StartOutcome::Running;
  }
  if (!store_.IsConnected()) return Refused(StartOutcome::NotConnected, QStringLiteral("База данных не подключена!"));
  if (!QFileInfo(tools.ffmpeg).isFile()) {
    return Refused(StartOutcome::NoFfmpeg,
                   QStringLiteral("Отсутствует утилита FFMPEG! Установите её пожалуйста и укажите её путь!"));
  }
  if (!QFileInfo(tools.sox).isFile()) {
    return Refused(StartOutcome::NoSox,
                   QStringLiteral("Отсутствует утилита SOX! Установите её пожалуйста и укажите её путь!"));
  }
  // As for an indexing run: the default folder is made on first use, a named one not.
  if (tools.toolDir == DefaultWorkDirectory()) EnsureDirectory(tools.toolDir);
  if (tools.toolDir.trimmed().isEmpty() || !QFileInfo(tools.toolDir).isDir()) {
    return Refused(StartOutcome::NoWorkDirectory,
                   QStringLiteral("Выберите рабочий каталог в меню «Настройки» → «Изменить параметры»!"));
  }
  const QString database = store_.FilePath();
  const QString refusal = WriteRefusal(store_.ProbeWrite(), database);
  if (!refusal.isEmpty()) return Refused(StartOutcome::NotWritable, refusal);
  if (!databaseLock_.Take(database, DatabaseFileLock::Use::Rewriting)) {
    return Refused(StartOutcome::DatabaseBusy, kDatabaseBeingIndexed);
  }
  if (!LockWorkDirectory(tools.toolDir, workDirLock_)) {
    return Refused(StartOutcome::WorkDirectoryBusy,
                   QStringLiteral("Рабочий каталог занят другой индексацией: ") + tools.toolDir);
  }
  workDir_ = tools.toolDir;
  const QString subdir = JoinPath(workDir_, QString::number(kSlot));
  QString problem;
  if (PrepareWorkSubfolder(subdir, &problem) == WorkSubfolderState::Unusable) {
    return Refused(StartOutcome::WorkFolderUnusable, QStringLiteral("Ошибка создания рабочего подкаталога!"));
  }

  lines_.clear();
  counts_ = {};
  running_ = true;
  thread_.reset();
  thread_ = std::make_unique<AddLandmarks>(store_, tools, subdir);
  thread_->onSkipped = [this](const SkippedRow& row) {
    ++counts_.skipped;
    lines_.append(SkippedRowLine(row));
    if (onSkipped) onSkipped(row);
    if (onLine) onLine(lines_.last());
  };
  thread_->onStored = [this](int32_t) { ++counts_.added; };
  thread_->onFinish = [this] { Finish(); };
  rowsRead_ = true;
  ranToTheEnd_ = false;
  if (onStateChanged) onStateChanged();
  thread_->Start();
  return StartOutcome::Started;
}

bool DatabaseLandmarkRun::Stop() {
  if (!running_) {
    dialogs_.ShowMessage(QStringLiteral("Добавление ориентиров ещё не запущено!"));
    return false;
  }
  // The row at hand is finished first (a copy, a hash, a decoding): the window
  // stays live meanwhile and hears of the end through the finish call.
  thread_->Terminate();
  return true;
}

void DatabaseLandmarkRun::ReleaseLocks() {
  if (workDirLock_.Locked()) ClearWorkDirectory(workDir_, kSlot + 1, &workDirLock_);
  workDirLock_.Unlock();
  databaseLock_.Release();
}

void DatabaseLandmarkRun::Finish() {
  counts_ = thread_->GetCounts();
  rowsRead_ = thread_->RowsRead();
  ranToTheEnd_ = thread_->RanToTheEnd();
  ReleaseLocks();
  running_ = false;
  const QStringList summary = {
      QString(),
      QStringLiteral("Записей в базе данных: %1").arg(counts_.rows),
      QStringLiteral("Записей без ориентиров: %1").arg(counts_.without),
      QStringLiteral("Добавлено ориентиров: %1").arg(counts_.added),
      QStringLiteral("Пропущено записей: %1").arg(counts_.skipped),
  };
  for (const QString& line : summary) {
    lines_.append(line);
    if (onLine) onLine(line);
  }
  if (onStateChanged) onStateChanged();
  if (!rowsRead_) {
    dialogs_.ShowMessage(QStringLiteral("Ошибка чтения записей базы данных!"));
  } else if (!ranToTheEnd_) {
    dialogs_.ShowMessage(QStringLiteral("Добавление ориентиров остановлено!"));
  } else {
    dialogs_.ShowMessage(counts_.skipped > 0 ? QStringLiteral("Ориентиры добавлены не ко всем записям!")
                                             : QStringLiteral("Ориентиры добавлены!"));
  }
}

bool DatabaseLandmarkRun::MayClose() {
  if (!running_) return true;
  dialogs_.ShowMessage(QStringLiteral("Дождитесь окончания добавления ориентиров или остановите его!"));
  return false;
}

int32_t DatabaseLandmarkRun::Progress() const { return thread_ ? thread_->Progress() : 0; }

QString DatabaseLandmarkRun::StatusText() const {
  return QStringLiteral("Добавлено ориентиров: %1, пропущено записей: %2").arg(counts_.added).arg(counts_.skipped);
}

}  // namespace melo
