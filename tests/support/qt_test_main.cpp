// Test entry point with a QCoreApplication, for code that needs the main thread's
// event loop (Thread::Synchronize) or the application's directory.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
