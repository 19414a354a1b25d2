#include "searcher/capture/capture_ring.h"

#include "fingerprint/sample_buffer.h"

#include <algorithm>

namespace melo {

CaptureRing::CaptureRing() : samples_(kCapacity, 0) {}

void CaptureRing::Append(const int16_t* values, size_t count) {
  const size_t frames = count / 2;
  {
    std::lock_guard guard(levelsLock_);
    for (size_t t = 0; t < frames; ++t) {
      const int16_t mono = MixToMono(values[2 * t], values[2 * t + 1]);
      samples_[writeIndex_] = mono;
      levels_.PushSample(mono);
      writeIndex_ = writeIndex_ + 1 == kCapacity ? 0 : writeIndex_ + 1;
    }
  }
  total_.fetch_add(frames, std::memory_order_release);
}

int32_t CaptureRing::Read(uint64_t start, uint32_t count, int16_t* out) const {
  if (!Active()) return kReadInactive;
  const uint64_t total = Total();
  const auto filled = static_cast<uint32_t>(std::min<uint64_t>(total, kCapacity));
  if (total - filled > start) return kReadTooOld;
  if (start + count > total) return kReadPastNewest;
  if (count > filled) return kReadMoreThanHeld;
  auto slot = static_cast<uint32_t>(start % kCapacity);
  for (uint32_t i = 0; i < count; ++i) {
    out[i] = samples_[slot];
    slot = slot + 1 == kCapacity ? 0 : slot + 1;
  }
  return kReadOk;
}

}  // namespace melo
