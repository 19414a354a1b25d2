#include "landmarks/downsampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace melo::landmarks {
namespace {

std::vector<int16_t> Sine(double hz, double amplitude, int32_t count) {
  std::vector<int16_t> s(count);
  for (int32_t i = 0; i < count; ++i) s[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * i / 48000)));
  return s;
}

double Rms(const std::vector<float>& x, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double{x[i]} * x[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

// What passes and what is stopped: the telephone band keeps its level, what would
// fold back below 4 kHz is gone.
TEST(Downsampler, KeepsTheBandBelow3400HzAndStopsWhatWouldFoldBack) {
  struct Case {
    double hz;
    double lowest;
    double highest;
  };
  for (const Case c : {Case{300, 0.99, 1.01}, Case{1000, 0.99, 1.01}, Case{3400, 0.85, 0.9}, Case{5000, 0, 1e-3},
                       Case{9000, 0, 1e-3}}) {
    const std::vector<int16_t> in = Sine(c.hz, 10000, 48000);
    std::vector<float> out(8000);
    Downsampler d;
    d.Run(in, 0, 8000, out.data());
    const double gain = Rms(out, 100, 7900) / (10000 / std::sqrt(2.0));
    EXPECT_GE(gain, c.lowest) << c.hz << " Hz";
    EXPECT_LE(gain, c.highest) << c.hz << " Hz";
  }
}

TEST(Downsampler, AnyStretchEqualsTheSameStretchOfTheWhole) {
  const std::vector<int16_t> in = Sine(440, 8000, 30000);
  Downsampler d;
  std::vector<float> whole(5000);
  d.Run(in, 0, 5000, whole.data());
  for (const int64_t first : {int64_t{0}, int64_t{1}, int64_t{7}, int64_t{2500}, int64_t{4990}}) {
    std::vector<float> part(10);
    d.Run(in, first, 10, part.data());
    for (int32_t i = 0; i < 10 && first + i < 5000; ++i) EXPECT_EQ(part[i], whole[first + i]) << first + i;
  }
  // Past the end the input is silence.
  std::vector<float> beyond(4);
  d.Run(in, 6000, 4, beyond.data());
  for (const float v : beyond) EXPECT_EQ(v, 0.0f);
}

}  // namespace
}  // namespace melo::landmarks
