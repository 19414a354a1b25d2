#pragma once

#include "base/thread.h"

#include <QString>
#include <functional>

namespace melo {

class CaptureRing;

// Reads the Echoline helper's audio into the ring every 100 ms. A failing helper is
// reported once (not on every read) and again only after it has recovered; a helper
// that has died is started again after a second, then after ever longer pauses
// while it keeps failing.
class EcholineThread : public Thread {
 public:
  EcholineThread(CaptureRing& ring, QString programDir, QString mappingName);
  ~EcholineThread() override;

  // Main thread: "EcholineInterface::ReadAudio Error=" + the read's result.
  std::function<void(const QString&)> onError;

 protected:
  void Execute() override;

 private:
  CaptureRing& ring_;
  const QString programDir_;
  const QString mappingName_;
};

}  // namespace melo
