#pragma once

#include "fingerprint/fft_plan.h"

#include <cstdint>
#include <span>
#include <vector>

namespace melo {

// Magnitude spectrum of one frame of `size` consecutive samples, level-normalised so
// that the frame's mean absolute value becomes 10000: loud and quiet copies of the
// same sound give the same spectrum. Bin k holds DFT index k + 1 (see FftPlan). The
// window is rectangular: every sample enters with weight 1.0.
// One analyser per thread; it keeps no state between calls besides the result.
class SpectrumAnalyzer {
 public:
  explicit SpectrumAnalyzer(int32_t size = 2048);

  // Reads samples[start] ... samples[start + size - 1] and fills Magnitudes().
  // The frame must hold at least one non-zero sample.
  void ComputeSpectrum(const int16_t* samples, int32_t start);
  // As above, but fills only the first `bins` magnitudes (the rest keep stale
  // values); the values computed are identical to the full call.
  void ComputeSpectrum(const int16_t* samples, int32_t start, int32_t bins);

  std::span<const double> Magnitudes() const noexcept { return magnitudes_; }
  int32_t Size() const noexcept { return plan_.Size(); }
  int32_t Half() const noexcept { return static_cast<int32_t>(magnitudes_.size()); }

 private:
  FftPlan plan_;
  std::vector<double> magnitudes_;
  std::vector<double> frame_;
  std::vector<double> re_;
  std::vector<double> im_;
};

}  // namespace melo
