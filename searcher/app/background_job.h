#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace melo {

// How far a job in the background has got, and whether it was asked to stop.
// Written by the job's thread, read by the window that shows it.
class JobProgress {
 public:
  void Set(int64_t done, int64_t total) {
    total_.store(total);
    done_.store(done);
  }
  void SetStage(const QString& stage) {
    std::lock_guard guard(lock_);
    stage_ = stage;
  }
  // The job polls this between two steps of its work.
  bool Stopped() const { return stop_.load(); }

  // 0 .. 1; 0 while the total is unknown.
  double Fraction() const {
    const int64_t total = total_.load();
    return total > 0 ? static_cast<double>(done_.load()) / static_cast<double>(total) : 0;
  }
  int64_t Done() const { return done_.load(); }
  int64_t Total() const { return total_.load(); }
  QString Stage() const {
    std::lock_guard guard(lock_);
    return stage_;
  }

 private:
  friend class BackgroundJob;
  std::atomic<int64_t> done_{0};
  std::atomic<int64_t> total_{0};
  std::atomic<bool> stop_{false};
  mutable std::mutex lock_;
  QString stage_;
};

// One piece of a debug window's long work (a test run over a folder, searches at
// many levels, spectra of a long stretch) in a thread of its own, so the window
// stays responsive. The work gets its inputs by value and leaves its result where
// its owner reads it in `done`, which runs on the main thread once the work has
// ended (stopped or not). One job at a time; destroying the object stops the job
// and waits for it, and its `done` is not called then.
class BackgroundJob {
 public:
  using Work = std::function<void(JobProgress&)>;
  using Done = std::function<void(bool stopped)>;

  BackgroundJob();
  ~BackgroundJob();
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // False while another job of this object has not been handed over yet.
  bool Start(Work work, Done done);
  // Asks the work to stop at its next poll.
  void Stop();
  // From Start until `done` has run.
  bool Busy() const { return busy_; }
  const JobProgress& Progress() const { return *progress_; }

 private:
  class Runner;
  void Deliver(uint64_t job, bool stopped);

  QObject context_;  // main thread: the hand-over is queued to it
  std::unique_ptr<Runner> runner_;
  std::shared_ptr<JobProgress> progress_;
  Done done_;
  uint64_t job_ = 0;
  bool busy_ = false;
};

}  // namespace melo
