#pragma once

#include "fingerprint/fingerprint_builder.h"
#include "searcher/engine/complex_fft.h"

#include <array>
#include <cstdint>
#include <vector>

namespace melo {

// Band bytes of a noisy recording with the share that white noise adds taken
// out. Noise raises the weak upper bands by many steps and, through the larger
// normalising sum, lowers the strong ones by a few. The bias is measured rather
// than modelled: the clean frame is estimated by spectral subtraction (each bin
// scaled by sqrt(max(0, 1 - N sigma^2 / |X|^2))), noise of the known level is
// added to that estimate again and again, and the mean change of its band bytes
// is the bias removed from the recording's own bytes.
// One instance per thread; the noise draws are the same fixed set everywhere, so
// the result depends only on the samples, the position and the level.
class NoiseCorrectedBands {
 public:
  // What noise adds to each band byte, in byte steps.
  using Bias = std::array<int16_t, IndexRecord::kBands>;

  NoiseCorrectedBands();

  // The corrected bytes of the frame centred on `position` are its plain bytes
  // (see FingerprintBuilder::ComputeBandBytes; outside the track all 255, false)
  // with the bias of white noise of standard deviation `noiseSigma` removed. The
  // frame of BiasAt must lie inside the track. The bias changes slowly along the
  // music, so neighbouring positions may share one.
  bool PlainBytes(const int16_t* samples, int32_t count, int32_t position, uint8_t* out) {
    return builder_.ComputeBandBytes(samples, count, position, out);
  }
  Bias BiasAt(const int16_t* samples, int32_t position, double noiseSigma);
  static void Remove(const Bias& bias, uint8_t* bytes);

 private:
  FingerprintBuilder builder_{1};
  ComplexFft fft_;
  std::vector<double> re_;
  std::vector<double> im_;
  std::vector<int16_t> frame_;  // one frame and the sample after it, centred on kFrameHalf
};

}  // namespace melo
