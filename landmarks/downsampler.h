#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace melo::landmarks {

// Takes 48 kHz samples down to 8 kHz: a linear-phase low-pass (a Kaiser-windowed
// sinc of 121 taps: -1.2 dB at 3400 Hz, -6 dB at 3750 Hz, more than 60 dB down
// from 5000 Hz) evaluated at every sixth input sample. Output sample n is centred on input sample 6n; input
// outside the given samples counts as silence, so any stretch of the output can be
// computed alone and equals the same stretch of the whole.
class Downsampler {
 public:
  static constexpr int32_t kHalfTaps = 60;

  Downsampler();

  // out[i] = output sample first + i, for i < count.
  void Run(std::span<const int16_t> input, int64_t first, int32_t count, float* out);

 private:
  std::vector<float> taps_;    // padded with zeros to a multiple of 8
  std::vector<float> window_;  // the input stretch being filtered, as floats
};

}  // namespace melo::landmarks
