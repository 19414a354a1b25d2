#include "fingerprint/spectrum_analyzer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace melo {

SpectrumAnalyzer::SpectrumAnalyzer(int32_t size)
    : plan_(size),
      magnitudes_(size / 2, 0.0),
      frame_(size),
      re_(size),
      im_(size) {}

void SpectrumAnalyzer::ComputeSpectrum(const int16_t* samples, int32_t start) {
  ComputeSpectrum(samples, start, Half());
}

void SpectrumAnalyzer::ComputeSpectrum(const int16_t* samples, int32_t start, int32_t bins) {
  const int32_t n = plan_.Size();
  const int16_t* x = samples + start;

  // Exact in any order: at most 2048 * 32768 fits a double's mantissa.
  int64_t level = 0;
  for (int32_t i = 0; i < n; ++i) level += std::abs(int32_t{x[i]});
  const double s = static_cast<double>(level);

  // The order of operations is part of the stored format: the sample times the
  // scale, then the division. (The rectangular window's weight, 1.0, multiplies
  // the scale exactly and is left out.)
  const double scale = static_cast<double>(n) * 10000.0;
  for (int32_t i = 0; i < n; ++i) {
    frame_[i] = static_cast<double>(x[i]) * scale / s;
  }

  plan_.LoadReal(frame_.data(), re_.data(), im_.data());
  plan_.Butterflies(re_.data(), im_.data());

  const int32_t kept = std::min(bins, Half());
  const double dn = static_cast<double>(n);
  for (int32_t k = 0; k < kept; ++k) {
    magnitudes_[k] = (2.0 * std::sqrt(re_[k] * re_[k] + im_[k] * im_[k])) / dn;
  }
}

}  // namespace melo
