#pragma once

#include <functional>

namespace melo {

// Keeps this thread's event loop turning, as a program waiting between its timer
// ticks would, until `done` holds or `milliseconds` have passed; whether `done`
// holds. The thread sleeps between events instead of polling the loop, so a wait
// leaves the processor to the work it waits for.
bool TurnEventsUntil(const std::function<bool()>& done, int milliseconds);

// The same for a fixed time.
void TurnEvents(int milliseconds);

}  // namespace melo
