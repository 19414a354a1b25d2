#include "searcher/capture/echoline_thread.h"

#include "searcher/capture/capture_ring.h"
#include "searcher/capture/echoline_interface.h"

#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

namespace melo {

namespace {

constexpr auto kReadInterval = std::chrono::milliseconds(100);
// A helper that keeps dying is tried again after 1, 2, 4 ... up to 30 seconds.
constexpr qint64 kFirstRestartMs = 1000;
constexpr qint64 kLongestRestartMs = 30000;

}  // namespace

EcholineThread::EcholineThread(CaptureRing& ring, QString programDir, QString mappingName)
    : ring_(ring), programDir_(std::move(programDir)), mappingName_(std::move(mappingName)) {}

EcholineThread::~EcholineThread() {
  Terminate();
  WaitFor();
}

void EcholineThread::Execute() {
  auto helper = std::make_unique<EcholineInterface>(programDir_, mappingName_);
  ring_.SetActive(true);
  QElapsedTimer sinceStart;
  sinceStart.start();
  bool reported = false;
  qint64 restartAfterMs = kFirstRestartMs;
  while (!Terminated()) {
    std::this_thread::sleep_for(kReadInterval);
    if (Terminated()) break;
    int32_t result = 0;
    try {
      result = helper->ReadAudio(ring_);
    } catch (...) {
      result = EcholineInterface::kReadFailed;
    }
    if (result > 0) {  // data flows again: a later failure is news
      reported = false;
      restartAfterMs = kFirstRestartMs;
    }
    if (result >= 0) continue;
    if (!reported && onError) {
      const QString text = QStringLiteral("EcholineInterface::ReadAudio Error=%1").arg(result);
      Synchronize([&] { onError(text); });
    }
    reported = true;
    if (helper->SourceUnusable()) {
      sourceFailed_ = true;
      break;
    }
    if (!helper->Running() && sinceStart.elapsed() >= restartAfterMs) {
      helper.reset();  // unmaps and unlinks before the new mapping of the same name
      helper = std::make_unique<EcholineInterface>(programDir_, mappingName_);
      sinceStart.restart();
      restartAfterMs = std::min(2 * restartAfterMs, kLongestRestartMs);
    }
  }
}

}  // namespace melo
