#include "indexer/app/indexing_run.h"

#include "base/dialogs.h"
#include "base/file_utils.h"
#include "base/log_writer.h"
#include "base/text_format.h"
#include "indexer/app/database_write_access.h"
#include "indexer/app/file_queue.h"
#include "indexer/app/indexing_messages.h"
#include "indexer/app/work_directory.h"
#include "indexer/database/record_store.h"

#include <QFileInfo>
#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace melo {

namespace {

constexpr int64_t kHungAfterSeconds = 2 * 3600;

const QString kAlreadyIndexed = QStringLiteral("Уже проиндексирован!");

// A plain pause: no event is handled meanwhile, so no tick or stop can start
// inside another. Workers wanting the main thread wait until it is over.
void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace

IndexingRun::IndexingRun(FileQueue& queue, const IndexerSettings& settings, const ProgramPaths& paths,
                         TDataModule1& store, Dialogs& dialogs, IndexingMessages& messages, int32_t slotCount)
    : queue_(queue),
      settings_(settings),
      paths_(paths),
      store_(store),
      dialogs_(dialogs),
      messages_(messages),
      slots_(static_cast<size_t>(std::max(slotCount, int32_t{1}))) {
  timer_.setInterval(1000);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  stopPoll_.setInterval(50);
  QObject::connect(&stopPoll_, &QTimer::timeout, [this] {
    if (!WorkersEnded()) return;
    stopPoll_.stop();
    FinishStop();
    if (afterStop_) std::exchange(afterStop_, nullptr)();
  });
}

IndexingRun::~IndexingRun() {
  timer_.stop();
  for (auto& worker : slots_) worker.reset();  // each joins its thread
  abandoned_.clear();
}

int32_t IndexingRun::BusySlots() const {
  return static_cast<int32_t>(std::count_if(slots_.begin(), slots_.end(), [](const auto& w) { return w != nullptr; }));
}

IndexingRun::StartOutcome IndexingRun::Start() {
  if (running_) return StartOutcome::Started;
  // The default folder is made on first use; one the user named is not, since a
  // mistyped name should not become a folder.
  if (settings_.workDir == DefaultWorkDirectory()) EnsureDirectory(settings_.workDir);
  if (!QFileInfo(settings_.workDir).isDir()) {
    dialogs_.ShowMessage(QStringLiteral("Выберите рабочий каталог в меню «Настройки» → «Изменить параметры»!"));
    return StartOutcome::NoWorkDirectory;
  }
  if (!QFileInfo(settings_.dbPath).isFile()) {
    dialogs_.ShowMessage(QStringLiteral("Выберите или создайте базу данных!"));
    return StartOutcome::NoDatabase;
  }
  if (!QFileInfo(settings_.ffmpeg).isFile()) {
    dialogs_.ShowMessage(QStringLiteral("Отсутствует утилита FFMPEG! Установите её пожалуйста и укажите её путь!"));
    return StartOutcome::NoFfmpeg;
  }
  if (!QFileInfo(settings_.sox).isFile()) {
    dialogs_.ShowMessage(QStringLiteral("Отсутствует утилита SOX! Установите её пожалуйста и укажите её путь!"));
    return StartOutcome::NoSox;
  }
  if (queue_.IsEmpty()) {
    dialogs_.ShowMessage(QStringLiteral("Добавьте в список аудио или видео файлы!"));
    return StartOutcome::EmptyQueue;
  }
  // Found out now rather than after every file has been decoded in vain.
  if (!DatabaseWritable()) return StartOutcome::DatabaseNotWritable;
  // The directory of a previous run stays ours while a worker given up on may
  // still write there (see ReleaseWorkDirectory).
  const QString workDir = settings_.workDir;
  if (!LockWorkDirectory(workDir, workDirLock_)) {
    WriteLogLine(paths_.programLog, QStringLiteral("Work directory is in use by another indexing run: ") + workDir,
                 true);
    dialogs_.ShowMessage(QStringLiteral("Рабочий каталог занят другой индексацией: ") + workDir);
    return StartOutcome::WorkDirectoryBusy;
  }
  if (!databaseLock_.Take(settings_.dbPath, DatabaseFileLock::Use::Indexing)) {
    workDirLock_.Unlock();
    dialogs_.ShowMessage(QStringLiteral("База данных занята очисткой, импортом или добавлением ориентиров: ") +
                         settings_.dbPath);
    return StartOutcome::DatabaseBusy;
  }
  workDir_ = workDir;
  failures_ = 0;
  messages_.Clear();
  store_.EnsureLookupIndexes();
  ClearWorkDirectory(workDir_, Slots(), &workDirLock_);
  // The audio rate is measured from this start, so the count starts afresh too.
  ResetIndexedRecordsTotal();
  messages_.runStart = clock();
  running_ = true;
  timer_.start();
  QMetaObject::invokeMethod(&timer_, [this] { Tick(); }, Qt::QueuedConnection);  // first files at once
  return StartOutcome::Started;
}

bool IndexingRun::DatabaseWritable() {
  const TDataModule1::WriteAccess access = store_.ProbeWrite();
  if (access == TDataModule1::WriteAccess::Writable) return true;
  WriteLogLine(paths_.programLog, QStringLiteral("The database cannot be written: ") + store_.LastError(), true);
  dialogs_.ShowMessage(WriteRefusal(access, settings_.dbPath));
  return false;
}

bool IndexingRun::SlotStillHeld(int32_t slot) const {
  return std::any_of(abandoned_.begin(), abandoned_.end(), [slot](const auto& w) { return w->Id() == slot; });
}

void IndexingRun::Dispose(std::unique_ptr<ProcessMediaFile> worker) {
  if (worker->Finished()) return;  // destroyed here
  abandoned_.push_back(std::move(worker));
}

void IndexingRun::Collect(std::unique_ptr<ProcessMediaFile>& slot, const QDateTime& now) {
  const QString path = slot->SourcePath();
  const QString stamp = FormatLocalDateTime(now);
  const QString message = slot->Message();
  if (message.isEmpty()) {
    messages_.succeeded.append(stamp + QStringLiteral("\tОбработан успешно: ") + path);
    queue_.SetStatus(path, kStatusDone);
  } else if (message == kAlreadyIndexed) {
    messages_.indexedBefore.append(stamp + QStringLiteral("\tУже проиндексирован - ") + path);
    queue_.SetStatus(path, kStatusIndexedBefore, message);
  } else {
    messages_.errors.append(stamp + QLatin1Char('\t') + message + QStringLiteral(" - ") + path);
    queue_.SetStatus(path, kStatusError, message, slot->Cause());
    ++failures_;
  }
  slot.reset();
}

int32_t IndexingRun::CollectWorkers(const QDateTime& now) {
  int32_t collected = 0;
  for (auto& slot : slots_) {
    if (!slot) continue;
    if (slot->Finished()) {
      Collect(slot, now);
      ++collected;
      continue;
    }
    const int64_t silentSeconds = (now.toMSecsSinceEpoch() - slot->LastActivityMs()) / 1000;
    if (slot->LastActivityMs() > 0 && silentSeconds > kHungAfterSeconds) {
      messages_.indexedBefore.append(QStringLiteral("Завис - ") + slot->SourcePath());
      queue_.SetStatus(slot->SourcePath(), kStatusHung);
      ++failures_;
      slot->Terminate();
      Pause(100);
      Dispose(std::move(slot));
      ++collected;
    }
  }
  return collected;
}

void IndexingRun::StartWorkers() {
  const int32_t threads = std::min(settings_.threads, Slots());
  for (int32_t i = 0; i < threads; ++i) {
    if (slots_[i] || SlotStillHeld(i)) continue;
    const QString path = queue_.NextWaiting();
    if (path.isEmpty()) break;
    WorkerSettings worker{settings_.ffmpeg, settings_.sox, workDir_, settings_.copyToWorkDir,
                          paths_.programDir, paths_.programLog};
    slots_[i] = std::make_unique<ProcessMediaFile>(store_, worker, path, i);
    // A finished worker is collected (and its slot refilled) at once instead of
    // at the next second: short files would otherwise wait for the clock.
    slots_[i]->SetFinishedCallback([this] {
      QMetaObject::invokeMethod(&timer_, [this] { Tick(); }, Qt::QueuedConnection);
    });
    slots_[i]->Start();
    queue_.SetStatus(path, kStatusProcessing);
  }
}

void IndexingRun::FinishIfDone() {
  // Done when no worker runs, unless files wait for a slot that a worker given
  // up on still holds.
  if (BusySlots() > 0 || (!abandoned_.empty() && !queue_.NextWaiting().isEmpty())) return;
  timer_.stop();
  running_ = false;
  store_.Commit();
  ReleaseWorkDirectory();
  // A run in which any file failed or hung, even one whose every insert failed,
  // must not pass for a success.
  dialogs_.ShowMessage(failures_ > 0 ? QStringLiteral("Задание выполнено с ошибками!")
                                     : QStringLiteral("Задание выполнено!"));
  if (onFinished) onFinished();
}

void IndexingRun::Tick() {
  if (inTick_ || !running_) return;
  inTick_ = true;
  try {
    // Every slot's worker was collected at once: nobody can still hold the lock.
    if (CollectWorkers(clock()) == Slots()) store_.UnlockDatabase();
    std::erase_if(abandoned_, [](const auto& w) { return w->Finished(); });
    StartWorkers();
    FinishIfDone();
  } catch (const std::exception&) {
    WriteMyLog(QStringLiteral("Timer2Timer"));
    dialogs_.ShowMessage(QStringLiteral("Timer2Timer"));
  }
  inTick_ = false;
}

void IndexingRun::BeginStop() {
  running_ = false;  // no tick may start workers while we wait
  timer_.stop();
}

void IndexingRun::AskWorkersToStop() {
  for (auto& slot : slots_) {
    if (!slot) continue;
    if (slot->Finished()) {
      Collect(slot, clock());
      continue;
    }
    slot->Terminate();
    queue_.SetStatus(slot->SourcePath(), kStatusStopped);
    messages_.errors.append(QStringLiteral("Остановлен: ") + slot->SourcePath());
  }
}

bool IndexingRun::WorkersEnded() const {
  return std::all_of(slots_.begin(), slots_.end(), [](const auto& w) { return !w || w->Finished(); });
}

void IndexingRun::FinishStop() {
  for (auto& slot : slots_) slot.reset();  // every one has ended by now, storing nothing more
  ReleaseWorkDirectory();
  stopping_ = false;
  dialogs_.ShowMessage(QStringLiteral("Индексация остановлена!"));
}

void IndexingRun::Stop() {
  BeginStop();
  Pause(1000);
  AskWorkersToStop();
  for (auto& slot : slots_) {
    if (slot) slot->WaitFor();  // its tool is killed, and it stores nothing more
  }
  FinishStop();
}

void IndexingRun::StopLater(std::function<void()> stopped) {
  if (stopping_) return;
  stopping_ = true;
  afterStop_ = std::move(stopped);
  BeginStop();
  QTimer::singleShot(1000, &stopPoll_, [this] {
    AskWorkersToStop();
    stopPoll_.start();
  });
}

void IndexingRun::ReleaseWorkDirectory() {
  std::erase_if(abandoned_, [](const auto& w) { return w->Finished(); });
  if (!workDirLock_.Locked()) return;
  if (!abandoned_.empty()) {
    // A worker given up on may still write into its folder: the directory stays
    // ours until it has ended, and is looked at again every second till then.
    QTimer::singleShot(1000, &stopPoll_, [this] {
      if (!running_ && !stopping_) ReleaseWorkDirectory();
    });
    return;
  }
  ClearWorkDirectory(workDir_, Slots(), &workDirLock_);
  workDirLock_.Unlock();
  databaseLock_.Release();
}

}  // namespace melo
