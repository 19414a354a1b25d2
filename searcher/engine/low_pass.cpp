#include "searcher/engine/low_pass.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace melo {

namespace {

constexpr int32_t kHalfTaps = 31;  // 63 taps, the two outermost zero: a transition band of about 4 kHz
constexpr double kCutoff = 6000.0 / 48000.0;

// Blackman-windowed sinc taps 0 ... kHalfTaps, normalised to a gain of 1 at 0 Hz.
std::array<double, kHalfTaps + 1> Taps() {
  std::array<double, kHalfTaps + 1> taps{};
  double sum = 0;
  for (int32_t k = 0; k <= kHalfTaps; ++k) {
    const double sinc =
        k == 0 ? 2 * kCutoff : std::sin(2 * std::numbers::pi * kCutoff * k) / (std::numbers::pi * k);
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
  if (count <= 0) return out;
  // Floats with silence on both sides: the loops then have no edge cases and
  // vectorise.
  std::vector<float> x(static_cast<size_t>(count) + 2 * kHalfTaps, 0.0f);
  for (int32_t i = 0; i < count; ++i) x[i + kHalfTaps] = samples[i];
  std::array<float, kHalfTaps + 1> t{};
  for (int32_t k = 0; k <= kHalfTaps; ++k) t[k] = static_cast<float>(taps[k]);
  // Tap by tap over the whole recording: the inner loop runs along the samples.
  const float* centre = x.data() + kHalfTaps;
  std::vector<float> y(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) y[i] = t[0] * centre[i];
  for (int32_t k = 1; k <= kHalfTaps; ++k) {
    for (int32_t i = 0; i < count; ++i) y[i] += t[k] * (centre[i - k] + centre[i + k]);
  }
  for (int32_t i = 0; i < count; ++i) out[i] = static_cast<int16_t>(std::clamp(std::lrint(y[i]), -32768L, 32767L));
  return out;
}

}  // namespace melo
