#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <functional>

namespace melo::testing {

// Keeps the event loop of this (main) thread turning for a while, as a program
// waiting between its timer ticks would.
inline void Spin(int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Keeps the event loop turning until `done` holds; false when it still does not
// after `milliseconds`. The limits are generous: the tests run on loaded machines,
// and a condition that holds returns at once.
inline bool SpinUntil(const std::function<bool()>& done, int milliseconds = 60000) {
  QDeadlineTimer deadline(milliseconds);
  while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

}  // namespace melo::testing
