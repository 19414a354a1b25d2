#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace melo {

// A coarse level curve of a running sample stream: for every block of
// `samplesPerValue` samples the block's peak |x|, kept in a ring of `capacity`
// values. Values are addressed by absolute number n = 0, 1, 2, ... in the order
// pushed; the ring retains numbers Total() - Stored() ... Total() - 1.
// No lock of its own: a user that fills and reads on different threads serialises.
class PeakEnvelope {
 public:
  // ReadRange results.
  static constexpr int32_t kReadOk = 0;
  static constexpr int32_t kReadTooOld = 2;        // start older than the oldest value kept
  static constexpr int32_t kReadPastNewest = 3;    // range reaches past the newest value
  static constexpr int32_t kReadMoreThanStored = 4;

  PeakEnvelope(uint32_t samplesPerValue, int32_t capacity);

  void PushSample(int16_t x) noexcept;
  void PushSamples(std::span<const int16_t> xs) noexcept;

  // Copies n values starting at absolute number `first` into out.
  int32_t ReadRange(uint32_t first, uint16_t* out, int32_t n) const noexcept;

  // Scans the stored values, remembers their minimum and maximum and returns the
  // maximum; 0 with nothing stored (minimum and maximum then stay as they were).
  uint16_t UpdateMinMax() noexcept;

  // True when value is under `threshold` percent of the last computed maximum. A
  // maximum of 0 (silence, or UpdateMinMax never run with data) has no signal to
  // compare against, so every value counts as below it.
  bool IsBelowThreshold(int16_t value) const noexcept;

  int32_t Capacity() const noexcept { return capacity_; }
  int32_t Stored() const noexcept { return stored_; }
  int32_t WriteIndex() const noexcept { return writeIndex_; }
  uint32_t Total() const noexcept { return total_; }
  int32_t Minimum() const noexcept { return minimum_; }
  int32_t Maximum() const noexcept { return maximum_; }
  int32_t Threshold() const noexcept { return threshold_; }
  void SetThreshold(int32_t percent) noexcept { threshold_ = percent; }

 private:
  uint32_t samplesPerValue_;
  int32_t capacity_;
  int32_t stored_ = 0;
  int32_t writeIndex_ = 0;
  int32_t minimum_ = 0;
  int32_t maximum_ = 0;
  int32_t threshold_ = 10;
  uint32_t blockCount_ = 0;
  uint32_t blockPeak_ = 0;
  uint32_t total_ = 0;
  std::vector<uint16_t> ring_;
};

}  // namespace melo
