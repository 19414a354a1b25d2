#pragma once

#include "base/event_wait.h"

#include <functional>

namespace melo::testing {

// Keeps the event loop of this (main) thread turning for a while, as a program
// waiting between its timer ticks would.
inline void Spin(int milliseconds) { TurnEvents(milliseconds); }

// Keeps the event loop turning until `done` holds; false when it still does not
// after `milliseconds`. The limits are generous: the tests run on loaded machines,
// and a condition that holds returns at once.
inline bool SpinUntil(const std::function<bool()>& done, int milliseconds = 60000) {
  return TurnEventsUntil(done, milliseconds);
}

}  // namespace melo::testing
