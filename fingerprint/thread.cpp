#include "fingerprint/thread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <exception>

namespace melo {

class Thread::Runner : public QThread {
 public:
  explicit Runner(Thread& owner) : owner_(owner) {}

 protected:
  void run() override { owner_.Run(); }

 private:
  Thread& owner_;
};

Thread::Thread() : runner_(std::make_unique<Runner>(*this)) {}

Thread::~Thread() {
  Terminate();
  WaitFor();
}

void Thread::Start() {
  if (started_) return;
  started_ = true;
  runner_->start();
}

void Thread::Run() noexcept {
  try {
    Execute();
  } catch (const std::exception& e) {
    unhandledError_ = QString::fromUtf8(e.what());
    if (unhandledError_.isEmpty()) unhandledError_ = QStringLiteral("unexpected error");
  } catch (...) {
    unhandledError_ = QStringLiteral("unexpected error");
  }
  finished_.store(true, std::memory_order_release);
  if (finishedCallback_) finishedCallback_();
}

bool Thread::WaitFor(int timeoutMs) {
  if (!started_) return true;
  const QCoreApplication* app = QCoreApplication::instance();
  const bool onMainThread = app && QThread::currentThread() == app->thread();
  const QDeadlineTimer deadline =
      timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
  if (onMainThread) {
    // Serve the thread's Synchronize calls the moment they arrive, until it ends.
    QEventLoop loop;
    QObject::connect(runner_.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (timeoutMs >= 0) timeout.start(timeoutMs);
    if (!runner_->isFinished()) loop.exec();
  }
  return runner_->wait(deadline);
}

void Thread::Synchronize(const std::function<void()>& fn) {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    fn();
    return;
  }
  std::exception_ptr failure;
  QMetaObject::invokeMethod(
      app,
      [&fn, &failure] {
        try {
          fn();
        } catch (...) {
          failure = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace melo
