#include "searcher/app/background_job.h"

#include "base/thread.h"

#include <QMetaObject>
#include <utility>

namespace melo {

class BackgroundJob::Runner : public Thread {
 public:
  Runner(Work work, std::shared_ptr<JobProgress> progress) : work_(std::move(work)), progress_(std::move(progress)) {}
  ~Runner() override { WaitFor(); }

 protected:
  void Execute() override { work_(*progress_); }

 private:
  Work work_;
  std::shared_ptr<JobProgress> progress_;
};

BackgroundJob::BackgroundJob() : progress_(std::make_shared<JobProgress>()) {}

BackgroundJob::~BackgroundJob() {
  done_ = nullptr;
  Stop();
  runner_.reset();  // joins
}

bool BackgroundJob::Start(Work work, Done done) {
  if (busy_) return false;
  runner_.reset();
  progress_ = std::make_shared<JobProgress>();
  done_ = std::move(done);
  busy_ = true;
  const uint64_t job = ++job_;
  runner_ = std::make_unique<Runner>(std::move(work), progress_);
  // The callback runs in the job's thread; the hand-over waits in the main
  // thread's queue, and is dropped with the context when this object goes first.
  runner_->SetFinishedCallback([this, job, progress = progress_] {
    const bool stopped = progress->Stopped();
    QMetaObject::invokeMethod(&context_, [this, job, stopped] { Deliver(job, stopped); }, Qt::QueuedConnection);
  });
  runner_->Start();
  return true;
}

void BackgroundJob::Stop() {
  if (progress_) progress_->stop_.store(true);
}

void BackgroundJob::Deliver(uint64_t job, bool stopped) {
  if (job != job_) return;
  busy_ = false;
  if (done_) std::exchange(done_, nullptr)(stopped);
}

}  // namespace melo
