#include "searcher/app/background_job.h"

#include "tests/support/event_loop.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace melo {
namespace {

// The window's work runs beside the main thread, stops when asked, and is handed
// over on the main thread once; a job still running when its owner goes is not.
TEST(BackgroundJob, WorkRunsApartStopsWhenAskedAndIsHandedOverOnTheMainThread) {
  BackgroundJob job;
  std::atomic<int> steps{0};
  QThread* workThread = nullptr;
  QThread* doneThread = nullptr;
  int handed = 0;
  bool stoppedSeen = false;
  ASSERT_TRUE(job.Start(
      [&](JobProgress& progress) {
        workThread = QThread::currentThread();
        for (int i = 0; i < 100000 && !progress.Stopped(); ++i) {
          progress.Set(i, 100000);
          ++steps;
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
      },
      [&](bool stopped) {
        doneThread = QThread::currentThread();
        stoppedSeen = stopped;
        ++handed;
      }));
  EXPECT_FALSE(job.Start([](JobProgress&) {}, [](bool) {}));  // one at a time
  ASSERT_TRUE(testing::SpinUntil([&] { return steps > 5; }, 10000));
  EXPECT_GT(job.Progress().Fraction(), 0);
  job.Stop();
  ASSERT_TRUE(testing::SpinUntil([&] { return !job.Busy(); }, 10000));
  EXPECT_EQ(handed, 1);
  EXPECT_TRUE(stoppedSeen);
  EXPECT_LT(steps.load(), 100000);
  EXPECT_NE(workThread, QCoreApplication::instance()->thread());
  EXPECT_EQ(doneThread, QCoreApplication::instance()->thread());

  int late = 0;
  {
    BackgroundJob going;
    going.Start([](JobProgress& p) { while (!p.Stopped()) std::this_thread::sleep_for(std::chrono::milliseconds(1)); },
                [&](bool) { ++late; });
  }
  testing::Spin(100);
  EXPECT_EQ(late, 0);
}

}  // namespace
}  // namespace melo
