#include "fingerprint/peak_envelope.h"

#include <algorithm>
#include <cstdlib>

namespace melo {

PeakEnvelope::PeakEnvelope(uint32_t samplesPerValue, int32_t capacity)
    : samplesPerValue_(std::max(samplesPerValue, uint32_t{1})),
      capacity_(std::max(capacity, int32_t{1})),
      ring_(static_cast<size_t>(capacity_), 0) {}

void PeakEnvelope::PushSample(int16_t x) noexcept {
  const auto a = static_cast<uint16_t>(std::abs(int32_t{x}));
  if (a > blockPeak_) blockPeak_ = a;
  if (++blockCount_ < samplesPerValue_) return;
  ring_[static_cast<size_t>(writeIndex_)] = static_cast<uint16_t>(blockPeak_);
  writeIndex_ = writeIndex_ + 1 == capacity_ ? 0 : writeIndex_ + 1;
  if (stored_ < capacity_) ++stored_;
  ++total_;
  blockCount_ = 0;
  blockPeak_ = 0;
}

void PeakEnvelope::PushSamples(std::span<const int16_t> xs) noexcept {
  for (int16_t x : xs) PushSample(x);
}

int32_t PeakEnvelope::ReadRange(uint32_t first, uint16_t* out, int32_t n) const noexcept {
  const auto stored = static_cast<uint32_t>(stored_);
  if (total_ - stored > first) return kReadTooOld;
  if (first + static_cast<uint32_t>(n) > total_) return kReadPastNewest;
  if (stored_ < n) return kReadMoreThanStored;
  if (n <= 0) return kReadOk;
  // A start beyond the newest value passes the checks above only when first + n
  // wraps around 2^32; there is nothing to copy for it.
  if (first >= total_) return kReadPastNewest;
  int64_t slot = int64_t{first} - int64_t{total_} + writeIndex_;
  if (slot < 0) slot += capacity_;
  for (int32_t i = 0; i < n; ++i) {
    out[i] = ring_[static_cast<size_t>(slot)];
    if (++slot == capacity_) slot = 0;
  }
  return kReadOk;
}

uint16_t PeakEnvelope::UpdateMinMax() noexcept {
  if (stored_ == 0) return 0;
  int32_t lo = 32767;
  int32_t hi = 0;
  int32_t slot = writeIndex_;
  for (int32_t i = 0; i < stored_; ++i) {
    slot = slot == 0 ? capacity_ - 1 : slot - 1;
    const int32_t v = static_cast<int16_t>(ring_[static_cast<size_t>(slot)]);
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  minimum_ = lo;
  maximum_ = hi;
  return static_cast<uint16_t>(hi);
}

bool PeakEnvelope::IsBelowThreshold(int16_t value) const noexcept {
  if (maximum_ == 0) return true;
  return (int32_t{value} * 100) / maximum_ < threshold_;
}

}  // namespace melo
