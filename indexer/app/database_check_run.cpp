#include "indexer/app/database_check_run.h"

#include "base/dialogs.h"

namespace melo {

DatabaseCheckRun::~DatabaseCheckRun() {
  // The thread's calls reach this object until it has ended.
  if (thread_) {
    thread_->Terminate();
    thread_->WaitFor();
  }
}

void DatabaseCheckRun::Reset() {
  findings_.clear();
  running_ = false;
}

bool DatabaseCheckRun::Start(const CheckDatabase::Options& options) {
  if (running_) {
    dialogs_.ShowMessage(QStringLiteral("Проверка уже начата!"));
    return false;
  }
  findings_.clear();
  running_ = true;
  thread_.reset();
  thread_ = std::make_unique<CheckDatabase>(store_, options);
  if (finishPauseMs_ >= 0) thread_->SetFinishPause(finishPauseMs_);
  thread_->onReport = [this](const QString& line) {
    findings_.append(line);
    if (onFinding) onFinding(line);
  };
  thread_->onError = [this](const QString& text) { dialogs_.ShowMessage(text); };
  thread_->onFinish = [this] { Finish(); };
  if (onStateChanged) onStateChanged();
  thread_->Start();
  return true;
}

bool DatabaseCheckRun::Stop() {
  if (!running_) {
    dialogs_.ShowMessage(QStringLiteral("Проверка ещё не запущена!"));
    return false;
  }
  running_ = false;
  if (onStateChanged) onStateChanged();
  thread_->Terminate();
  thread_->WaitFor();
  thread_.reset();
  return true;
}

void DatabaseCheckRun::Finish() {
  running_ = false;
  if (onStateChanged) onStateChanged();
  dialogs_.ShowMessage(QStringLiteral("Проверка закончена!"));
}

bool DatabaseCheckRun::MayClose() {
  if (!running_) return true;
  dialogs_.ShowMessage(QStringLiteral("Дождитесь окончания проверки или остановите её!"));
  return false;
}

int32_t DatabaseCheckRun::Progress() const {
  return thread_ ? thread_->Progress() : 0;
}

QString DatabaseCheckRun::StatusText() const {
  return QStringLiteral("Количество сообщений: %1").arg(findings_.size());
}

}  // namespace melo
