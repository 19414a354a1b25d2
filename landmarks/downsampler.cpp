#include "landmarks/downsampler.h"

#include "landmarks/landmark_settings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace melo::landmarks {

namespace {

constexpr int32_t kTaps = 2 * Downsampler::kHalfTaps + 1;
constexpr int32_t kPaddedTaps = (kTaps + 7) / 8 * 8;
constexpr double kCutoffHz = 3750.0;
constexpr double kKaiserBeta = 6.0;

// The zeroth-order modified Bessel function, by its power series.
double BesselI0(double x) {
  double sum = 1.0;
  double term = 1.0;
  for (int32_t k = 1; k < 50; ++k) {
    term *= (x / (2.0 * k)) * (x / (2.0 * k));
    sum += term;
    if (term < sum * 1e-17) break;
  }
  return sum;
}

}  // namespace

Downsampler::Downsampler() : taps_(kPaddedTaps, 0.0f) {
  const double fc = kCutoffHz / kInputRate;
  double gain = 0;
  std::vector<double> h(kTaps);
  for (int32_t k = 0; k < kTaps; ++k) {
    const double m = k - kHalfTaps;
    const double sinc = m == 0 ? 2.0 * fc : std::sin(2.0 * std::numbers::pi * fc * m) / (std::numbers::pi * m);
    const double r = m / kHalfTaps;
    h[k] = sinc * BesselI0(kKaiserBeta * std::sqrt(1.0 - r * r)) / BesselI0(kKaiserBeta);
    gain += h[k];
  }
  for (int32_t k = 0; k < kTaps; ++k) taps_[k] = static_cast<float>(h[k] / gain);
}

void Downsampler::Run(std::span<const int16_t> input, int64_t first, int32_t count, float* out) {
  if (count <= 0) return;
  // The input the outputs need, from 6*first - 60 to 6*(first + count - 1) + 60,
  // converted once; the taps are zero-padded so every output sums 8-wide blocks.
  const int64_t begin = first * kDecimation - kHalfTaps;
  const int64_t length = int64_t{count - 1} * kDecimation + kPaddedTaps;
  window_.assign(static_cast<size_t>(length), 0.0f);
  const int64_t total = static_cast<int64_t>(input.size());
  const int64_t from = std::clamp<int64_t>(begin, 0, total);
  const int64_t to = std::clamp<int64_t>(begin + length, 0, total);
  for (int64_t i = from; i < to; ++i) window_[static_cast<size_t>(i - begin)] = input[static_cast<size_t>(i)];

  const float* taps = taps_.data();
  for (int32_t n = 0; n < count; ++n) {
    const float* x = window_.data() + int64_t{n} * kDecimation;
    // Eight partial sums in a fixed order: the compiler keeps them in one vector
    // register, and the result does not depend on how it schedules them.
    float acc[8] = {};
    for (int32_t k = 0; k < kPaddedTaps; k += 8) {
      for (int32_t j = 0; j < 8; ++j) acc[j] += taps[k + j] * x[k + j];
    }
    out[n] = ((acc[0] + acc[4]) + (acc[1] + acc[5])) + ((acc[2] + acc[6]) + (acc[3] + acc[7]));
  }
}

}  // namespace melo::landmarks
