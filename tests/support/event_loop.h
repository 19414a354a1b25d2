#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace melo::testing {

// Keeps the event loop of this (main) thread turning for a while, as a program
// waiting between its timer ticks would.
inline void Spin(int milliseconds) {
  QDeadlineTimer deadline(milliseconds);
  while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace melo::testing
