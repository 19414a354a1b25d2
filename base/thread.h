#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <memory>

namespace melo {

// Background work in the style the programs are built on: a thread object is
// created suspended, given its inputs, started with Start(), runs Execute() once,
// and is freed by its owner after Finished(). Terminate() only raises a flag that a
// long-running Execute() polls through Terminated().
//
// Synchronize(fn) runs fn on the main thread and waits for it, so a worker can
// touch state owned by the main thread (the database connection, the windows)
// without locks. The main thread serves such calls from its event loop, or while
// it waits in WaitFor() for a worker; WaitFor() runs nothing but those calls.
class Thread {
 public:
  Thread();
  virtual ~Thread();  // joins; a derived class whose Execute uses its members joins first
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  void Start();
  void Terminate() noexcept { terminated_.store(true); }
  bool Terminated() const noexcept { return terminated_.load(); }
  bool Started() const noexcept { return started_; }
  bool Finished() const noexcept { return finished_.load(std::memory_order_acquire); }

  // Waits until Execute has returned (false when timeoutMs ran out first; -1 waits
  // for ever). On the main thread, Synchronize calls keep being served meanwhile,
  // also after the application was asked to quit.
  bool WaitFor(int timeoutMs = -1);

  // Called in the thread itself right after Execute has returned, for an owner that
  // wants to hear of the end at once rather than poll Finished(). Set before Start().
  void SetFinishedCallback(std::function<void()> callback) { finishedCallback_ = std::move(callback); }

  // What escaped Execute as an exception, or empty. Read after Finished().
  QString UnhandledError() const { return unhandledError_; }

  // Runs fn on the main thread and waits for it; directly when called there (or
  // when there is no application object). An exception thrown by fn is rethrown in
  // the calling thread.
  static void Synchronize(const std::function<void()>& fn);

 protected:
  virtual void Execute() = 0;

 private:
  class Runner;
  void Run() noexcept;

  std::unique_ptr<Runner> runner_;
  bool started_ = false;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  QString unhandledError_;
  std::function<void()> finishedCallback_;
};

}  // namespace melo
