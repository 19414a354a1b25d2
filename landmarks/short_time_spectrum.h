#pragma once

#include <cstdint>
#include <memory>

namespace melo::landmarks {

// The level spectra of successive frames of the 8 kHz copy: kFrameSize samples under
// a Hann window, one frame every kHop samples, each bin as the natural logarithm of
// its power (plus one, so silence gives 0). One instance per thread: it owns its
// transform's buffers, and only the plan's creation is shared, under a lock.
class ShortTimeSpectrum {
 public:
  ShortTimeSpectrum();
  ~ShortTimeSpectrum();
  ShortTimeSpectrum(const ShortTimeSpectrum&) = delete;
  ShortTimeSpectrum& operator=(const ShortTimeSpectrum&) = delete;

  // Frame f of `samples` starts at samples[f * kHop]; rows[f * kBins + k] receives
  // the level of bin k, for f < frames. The samples must hold
  // (frames - 1) * kHop + kFrameSize values.
  void Compute(const float* samples, int32_t frames, float* rows);

 private:
  struct Transform;
  std::unique_ptr<Transform> transform_;
};

}  // namespace melo::landmarks
