#include "fingerprint/fft_plan.h"
#include "fingerprint/spectrum_analyzer.h"
#include "synth/music_like_signal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace melo {
namespace {

// The transform exactly as the stored fingerprints were made: swaps for the bit
// reversal, then per stage the twiddle advanced before each use, computed afresh.
std::vector<double> ReferenceMagnitudes(const std::vector<double>& input) {
  const int n = static_cast<int>(input.size());
  std::vector<double> re = input, im(n, 0.0);
  int bits = 0;
  while ((1 << bits) < n) ++bits;
  for (int t = 0; t < n; ++t) {
    int j = 0;
    for (int b = 0; b < bits; ++b) j |= ((t >> b) & 1) << (bits - 1 - b);
    if (j > t) {
      std::swap(re[t], re[j]);
      std::swap(im[t], im[j]);
    }
  }
  for (int h = 1; h < n; h *= 2) {
    const double theta = -6.283185307179586 / (2 * h);
    const double alpha = std::sin(theta / 2);
    const double beta = std::sin(theta);
    const double c = 2 * alpha * alpha;
    double wr = 1.0, wi = 0.0;
    for (int r = 0; r < h; ++r) {
      const double nr = (wr - c * wr) - beta * wi;
      const double ni = (beta * wr + wi) - wi * c;
      wr = nr;
      wi = ni;
      for (int g = 0; g < n; g += 2 * h) {
        const int a = g + r, b = g + r + h;
        const double tr = wr * re[b] - wi * im[b];
        const double ti = im[b] * wr + re[b] * wi;
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] = re[a] + tr;
        im[a] = im[a] + ti;
      }
    }
  }
  std::vector<double> out(n);
  for (int k = 0; k < n; ++k) out[k] = (2 * std::sqrt(re[k] * re[k] + im[k] * im[k])) / n;
  return out;
}

std::vector<double> ReferenceSpectrum(const int16_t* x, int n) {
  double s = 0;
  for (int i = 0; i < n; ++i) s += std::abs(int32_t{x[i]});
  std::vector<double> y(n);
  for (int i = 0; i < n; ++i) y[i] = x[i] * (1.0 * (n * 10000.0)) / s;
  auto m = ReferenceMagnitudes(y);
  m.resize(n / 2);
  return m;
}

// Magnitudes 2|z[k]| / n of the plan's transform.
std::vector<double> Fft(const std::vector<double>& input) {
  const auto n = static_cast<int32_t>(input.size());
  const FftPlan plan(n);
  std::vector<double> re(n), im(n), out(n);
  plan.LoadReal(input.data(), re.data(), im.data());
  plan.Butterflies(re.data(), im.data());
  for (int32_t k = 0; k < n; ++k) out[k] = (2.0 * std::sqrt(re[k] * re[k] + im[k] * im[k])) / n;
  return out;
}

bool BitIdentical(const std::vector<double>& a, std::span<const double> b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(FftPlan, IsBitIdenticalToTheReferenceProcedure) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> value(-30000, 30000);
  for (int n : {2, 8, 64, 2048}) {
    for (int trial = 0; trial < 5; ++trial) {
      std::vector<double> input(n);
      for (double& v : input) v = value(rng);
      EXPECT_TRUE(BitIdentical(ReferenceMagnitudes(input), Fft(input))) << "n=" << n;
    }
  }
}

TEST(SpectrumAnalyzer, MatchesTheReferenceOnMusicBitForBit) {
  const auto music = synth::MusicLikeSignal(3, 48000);
  SpectrumAnalyzer analyzer;
  for (int32_t start : {0, 4000, 12345, 45000}) {
    analyzer.ComputeSpectrum(music.data(), start);
    EXPECT_TRUE(BitIdentical(ReferenceSpectrum(music.data() + start, 2048), analyzer.Magnitudes()))
        << "frame at " << start;
  }
}

TEST(SpectrumAnalyzer, A375HzFrameLandsInBin15) {
  const auto tone = synth::FrameTone(16, 10000, 2048);
  SpectrumAnalyzer analyzer;
  analyzer.ComputeSpectrum(tone.data(), 0);
  const auto m = analyzer.Magnitudes();
  ASSERT_EQ(m.size(), 1024u);
  EXPECT_NEAR(m[15], 15711.05, 0.01);
  for (int k = 0; k < 1024; ++k) {
    if (k != 15) {
      ASSERT_LT(m[k], 0.3) << "bin " << k;
    }
  }
}

}  // namespace
}  // namespace melo
