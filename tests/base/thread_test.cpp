#include "base/thread.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

namespace melo {
namespace {

// Counts on the main thread through Synchronize, the way workers hand their
// database steps to the main thread.
class CountingWorker : public Thread {
 public:
  ~CountingWorker() override { WaitFor(); }
  int counted = 0;          // touched on the main thread only
  bool allOnMain = true;
  int iterations = 0;       // how far Execute got

 protected:
  void Execute() override {
    for (iterations = 0; iterations < 200 && !Terminated(); ++iterations) {
      Synchronize([this] {
        ++counted;
        allOnMain = allOnMain && QThread::currentThread() == QCoreApplication::instance()->thread();
      });
    }
  }
};

TEST(Thread, SynchronizeFromAWorkerUnderARunningEventLoop) {
  CountingWorker worker;
  worker.Start();
  // The main thread sits in its event loop, as the programs do, and polls.
  QTimer* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [&] {
    if (worker.Finished()) QCoreApplication::exit(0);
  });
  poll->start(10);
  QCoreApplication::exec();
  delete poll;
  EXPECT_EQ(worker.counted, 200);
  EXPECT_TRUE(worker.allOnMain);
  EXPECT_TRUE(worker.UnhandledError().isEmpty());
}

TEST(Thread, WaitingServesSynchronousCallsEvenWhileTheApplicationQuits) {
  CountingWorker worker;
  bool waited = false;
  QTimer::singleShot(0, [&] {
    worker.Start();
    QCoreApplication::quit();  // an exit handler that then waits for its threads
    waited = worker.WaitFor(30000);
  });
  QCoreApplication::exec();
  EXPECT_TRUE(waited);
  EXPECT_EQ(worker.counted, 200);
}

TEST(Thread, TerminateIsAFlagTheBodyPolls) {
  CountingWorker worker;
  worker.Terminate();
  worker.Start();
  ASSERT_TRUE(worker.WaitFor(30000));
  EXPECT_EQ(worker.iterations, 0);
}

class FailingWorker : public Thread {
 public:
  ~FailingWorker() override { WaitFor(); }
  QString caughtBySync;

 protected:
  void Execute() override {
    try {
      Synchronize([] { throw std::runtime_error("insert failed"); });
    } catch (const std::runtime_error& e) {
      caughtBySync = e.what();
    }
    throw std::runtime_error("worker died");
  }
};

TEST(Thread, ErrorsComeBackToTheWorkerAndToTheOwner) {
  FailingWorker worker;
  worker.Start();
  ASSERT_TRUE(worker.WaitFor(30000));
  EXPECT_EQ(worker.caughtBySync, "insert failed");
  EXPECT_EQ(worker.UnhandledError(), "worker died");
}

}  // namespace
}  // namespace melo
