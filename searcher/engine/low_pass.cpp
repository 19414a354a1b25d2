#include "searcher/engine/low_pass.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace melo {

namespace {

constexpr int32_t kHalfTaps = 31;  // 63 taps: a transition band of about 4 kHz
constexpr double kCutoff = 6000.0 / 48000.0;

// Blackman-windowed sinc taps 0 ... kHalfTaps, normalised to a gain of 1 at 0 Hz.
std::array<double, kHalfTaps + 1> Taps() {
  std::array<double, kHalfTaps + 1> taps{};
  double sum = 0;
  for (int32_t k = 0; k <= kHalfTaps; ++k) {
    const double sinc = k == 0 ? 2 * kCutoff : std::sin(2 * std::numbers::pi * kCutoff * k) / (std::numbers::pi * k);
    const double phase = std::numbers::pi * (k + kHalfTaps) / kHalfTaps;
    const double window = 0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2 * phase);
    taps[k] = sinc * window;
    sum += k == 0 ? taps[k] : 2 * taps[k];
  }
  for (double& t : taps) t /= sum;
  return taps;
}

}  // namespace

std::vector<int16_t> LowPassed6k(const int16_t* samples, int32_t count) {
  static const std::array<double, kHalfTaps + 1> taps = Taps();
  std::vector<int16_t> out(static_cast<size_t>(std::max(count, int32_t{0})));
  // Samples outside the recording count as silence.
  auto at = [&](int32_t i) { return i >= 0 && i < count ? static_cast<double>(samples[i]) : 0.0; };
  for (int32_t i = 0; i < count; ++i) {
    double y = taps[0] * samples[i];
    if (i >= kHalfTaps && i + kHalfTaps < count) {
      for (int32_t k = 1; k <= kHalfTaps; ++k) y += taps[k] * (samples[i - k] + samples[i + k]);
    } else {
      for (int32_t k = 1; k <= kHalfTaps; ++k) y += taps[k] * (at(i - k) + at(i + k));
    }
    out[i] = static_cast<int16_t>(std::clamp(std::lround(y), -32768L, 32767L));
  }
  return out;
}

}  // namespace melo
