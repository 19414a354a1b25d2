#include "base/event_wait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace melo {

namespace {

// How often the condition is looked at: short against what anybody waits for.
constexpr int kLookEveryMs = 10;

}  // namespace

bool TurnEventsUntil(const std::function<bool()>& done, int milliseconds) {
  if (done()) return true;
  const QDeadlineTimer deadline(milliseconds);
  QEventLoop loop;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, &loop, [&] {
    if (done() || deadline.hasExpired()) loop.quit();
  });
  look.start(kLookEveryMs);
  loop.exec();
  return done();
}

void TurnEvents(int milliseconds) {
  TurnEventsUntil([] { return false; }, milliseconds);
}

}  // namespace melo
