#pragma once

#include "fingerprint/peak_envelope.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace melo {

// The newest 100 seconds of captured sound, 48000 Hz mono 16-bit, filled from one
// source at a time (stereo frames mixed to mono on the way in) and read by the
// searches and the signal picture. One writer; readers take positions below the
// total they read at the start of their copy.
class CaptureRing {
 public:
  static constexpr uint32_t kCapacity = 4800000;
  // Read results.
  static constexpr int32_t kReadOk = 0;
  static constexpr int32_t kReadInactive = 1;
  static constexpr int32_t kReadTooOld = 2;
  static constexpr int32_t kReadPastNewest = 3;
  static constexpr int32_t kReadMoreThanHeld = 4;

  CaptureRing();

  // Appends count / 2 stereo frames (left, right interleaved) as mono samples
  // (MixToMono). An odd last value is dropped.
  void Append(const int16_t* values, size_t count);
  // Copies the samples at stream positions start ... start + count - 1.
  int32_t Read(uint64_t start, uint32_t count, int16_t* out) const;

  uint64_t Total() const { return total_.load(std::memory_order_acquire); }  // position of the next sample
  uint32_t Filled() const { return static_cast<uint32_t>(std::min<uint64_t>(Total(), kCapacity)); }
  bool Active() const { return active_.load(); }
  void SetActive(bool active) { active_.store(active); }

  // The level history (480 samples per value, 100 s), for the signal picture. The
  // callback runs with the history locked against the writer.
  template <typename Reader>
  auto WithLevels(Reader reader) {
    std::lock_guard guard(levelsLock_);
    return reader(levels_);
  }

 private:
  std::vector<int16_t> samples_;
  std::atomic<uint64_t> total_{0};
  uint32_t writeIndex_ = 0;
  std::atomic<bool> active_{false};
  std::mutex levelsLock_;
  PeakEnvelope levels_{480, 10000};
};

}  // namespace melo
