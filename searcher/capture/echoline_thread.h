#pragma once

#include "base/thread.h"

#include <QString>
#include <atomic>
#include <functional>

namespace melo {

class CaptureRing;

// Reads the Echoline helper's audio into the ring every 100 ms. A failing helper is
// reported once (not on every read) and again only after it has recovered; a helper
// that has died is started again after a second, then after ever longer pauses
// while it keeps failing, unless it said that its source can never start.
class EcholineThread : public Thread {
 public:
  EcholineThread(CaptureRing& ring, QString programDir, QString mappingName);
  ~EcholineThread() override;

  // Main thread: "EcholineInterface::ReadAudio Error=" + the read's result.
  std::function<void(const QString&)> onError;

  // The helper's source can never start; the thread has given up on it.
  bool SourceFailed() const { return sourceFailed_.load(); }

 protected:
  void Execute() override;

 private:
  CaptureRing& ring_;
  const QString programDir_;
  const QString mappingName_;
  std::atomic<bool> sourceFailed_{false};
};

}  // namespace melo
