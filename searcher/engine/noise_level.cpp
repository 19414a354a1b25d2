#include "searcher/engine/noise_level.h"

#include "searcher/engine/complex_fft.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace melo {

namespace {

constexpr int32_t kFrame = 2048;
constexpr int32_t kHop = 1024;
constexpr int32_t kSmoothing = 4;
constexpr int32_t kRun = 32;
// The median of the run minima of pure white noise's smoothed power is this
// share of its mean power (measured on Gaussian noise, 3 to 40 s long: 0.280 ... 0.293).
constexpr double kMinimumBias = 0.287;

}  // namespace

double EstimateNoiseSigma(const int16_t* samples, int32_t count) {
  const int32_t frames = count >= kFrame ? (count - kFrame) / kHop + 1 : 0;
  if (frames == 0) return 0.0;
  const ComplexFft fft(kFrame);
  std::vector<double> window(kFrame);
  double windowPower = 0;
  for (int32_t n = 0; n < kFrame; ++n) {
    window[n] = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / kFrame);
    windowPower += window[n] * window[n];
  }
  constexpr int32_t kBins = kFrame / 2 - 1;  // bins 1 ... 1023
  std::vector<float> power(static_cast<size_t>(frames) * kBins);
  // Two real frames per complex transform: frame f as the real part, frame f + 1
  // as the imaginary part. With a = Z[k] and b = conj(Z[N - k]), the first
  // frame's bin k is (a + b) / 2 and the second's (a - b) / 2i.
  std::vector<double> re(kFrame), im(kFrame);
  for (int32_t f = 0; f < frames; f += 2) {
    const int16_t* x = samples + static_cast<int64_t>(f) * kHop;
    const bool pair = f + 1 < frames;
    for (int32_t n = 0; n < kFrame; ++n) {
      re[n] = x[n] * window[n];
      im[n] = pair ? x[n + kHop] * window[n] : 0.0;
    }
    fft.Forward(re.data(), im.data());
    float* first = power.data() + static_cast<size_t>(f) * kBins;
    float* second = pair ? first + kBins : nullptr;
    for (int32_t k = 1; k <= kBins; ++k) {
      const double sumRe = re[k] + re[kFrame - k], sumIm = im[k] - im[kFrame - k];
      const double diffRe = re[k] - re[kFrame - k], diffIm = im[k] + im[kFrame - k];
      first[k - 1] = static_cast<float>((sumRe * sumRe + sumIm * sumIm) / 4);
      if (second) second[k - 1] = static_cast<float>((diffRe * diffRe + diffIm * diffIm) / 4);
    }
  }
  const int32_t smoothed = std::max(frames - kSmoothing + 1, int32_t{1});
  const int32_t span = std::min(kSmoothing, frames);
  const int32_t runs = std::max(smoothed / kRun, int32_t{1});
  const int32_t runLength = smoothed / runs;
  std::vector<double> minima;
  minima.reserve(static_cast<size_t>(runs) * kBins);
  for (int32_t k = 0; k < kBins; ++k) {
    for (int32_t r = 0; r < runs; ++r) {
      double lowest = INFINITY;
      for (int32_t s = r * runLength; s < (r + 1) * runLength; ++s) {
        double sum = 0;
        for (int32_t f = s; f < s + span; ++f) sum += power[static_cast<size_t>(f) * kBins + k];
        lowest = std::min(lowest, sum / span);
      }
      minima.push_back(lowest);
    }
  }
  auto middle = minima.begin() + static_cast<std::ptrdiff_t>(minima.size() / 2);
  std::nth_element(minima.begin(), middle, minima.end());
  return std::sqrt(*middle / kMinimumBias / windowPower);
}

}  // namespace melo
