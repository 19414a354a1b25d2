#include "base/thread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>

namespace melo {

namespace {

// Calls that worker threads hand to the main thread. They are run either by the
// main thread's event loop (a queued drain is posted with each call) or by a main
// thread that waits for a worker in WaitFor, which runs nothing else: no timer or
// other event can slip in while it waits.
struct PendingCall {
  const std::function<void()>* fn;
  std::exception_ptr failure;
  bool done = false;
};

std::mutex callsLock;
std::condition_variable callsChanged;  // a call was queued or run, or a thread finished
std::deque<PendingCall*> calls;

void RunPendingCalls() {
  for (;;) {
    PendingCall* call = nullptr;
    {
      std::lock_guard lock(callsLock);
      if (calls.empty()) return;
      call = calls.front();
      calls.pop_front();
    }
    try {
      (*call->fn)();
    } catch (...) {
      call->failure = std::current_exception();
    }
    {
      std::lock_guard lock(callsLock);
      call->done = true;
    }
    callsChanged.notify_all();
  }
}

bool OnMainThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

}  // namespace

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
  {
    std::lock_guard lock(callsLock);
    finished_.store(true, std::memory_order_release);
  }
  callsChanged.notify_all();
  if (finishedCallback_) finishedCallback_();
}

bool Thread::WaitFor(int timeoutMs) {
  if (!started_) return true;
  const QDeadlineTimer deadline =
      timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
  if (OnMainThread()) {
    // Serve the thread's synchronous calls until its body has returned.
    for (;;) {
      RunPendingCalls();
      std::unique_lock lock(callsLock);
      if (finished_.load(std::memory_order_acquire)) break;
      if (deadline.hasExpired()) return false;
      callsChanged.wait_for(lock, std::chrono::milliseconds(50),
                            [this] { return !calls.empty() || finished_.load(std::memory_order_acquire); });
    }
  }
  return runner_->wait(deadline);
}

void Thread::Synchronize(const std::function<void()>& fn) {
  if (OnMainThread()) {
    fn();
    return;
  }
  PendingCall call{&fn, nullptr, false};
  {
    std::lock_guard lock(callsLock);
    calls.push_back(&call);
  }
  callsChanged.notify_all();
  QMetaObject::invokeMethod(QCoreApplication::instance(), [] { RunPendingCalls(); }, Qt::QueuedConnection);
  {
    std::unique_lock lock(callsLock);
    callsChanged.wait(lock, [&call] { return call.done; });
  }
  if (call.failure) std::rethrow_exception(call.failure);
}

}  // namespace melo
