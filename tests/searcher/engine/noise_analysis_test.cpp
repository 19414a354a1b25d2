#include "fingerprint/fingerprint_builder.h"
#include "searcher/engine/low_pass.h"
#include "searcher/engine/noise_corrected_bands.h"
#include "searcher/engine/noise_level.h"
#include "synth/music_like_signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace melo {
namespace {

constexpr int32_t kRate = 48000;

std::vector<int16_t> WithNoise(const std::vector<int16_t>& clean, double sigma, uint32_t seed) {
  std::mt19937 generator(seed);
  std::normal_distribution<double> gaussian(0.0, sigma);
  std::vector<int16_t> noisy(clean.size());
  for (size_t i = 0; i < clean.size(); ++i) {
    noisy[i] = static_cast<int16_t>(std::clamp(std::lround(clean[i] + gaussian(generator)), -32768L, 32767L));
  }
  return noisy;
}

double Rms(const std::vector<int16_t>& x) {
  double sum = 0;
  for (int16_t v : x) sum += static_cast<double>(v) * v;
  return std::sqrt(sum / static_cast<double>(x.size()));
}

// A chord of three tones in bands 0, 2 and 4, the kind of frame whose weak upper
// bands white noise fills.
std::vector<int16_t> Chord(int32_t count) {
  std::vector<int16_t> x(static_cast<size_t>(count));
  for (int32_t t = 0; t < count; ++t) {
    const double phase = 2 * M_PI * t / 2048.0;
    x[t] = static_cast<int16_t>(std::lround(6000 * std::sin(8.5 * phase) + 3000 * std::sin(40.5 * phase) +
                                            1500 * std::sin(80.5 * phase)));
  }
  return x;
}

TEST(NoiseLevel, EstimatedFromTheRecordingAlone) {
  struct Row {
    const char* signal;
    std::vector<int16_t> clean;
    double sigma;
  };
  const std::vector<Row> rows = {
      {"chord", Chord(4 * kRate), 300},
      {"chord", Chord(4 * kRate), 2000},
      {"music", synth::MusicLikeSignal(7, 4 * kRate), 500},
      {"music", synth::MusicLikeSignal(8, 7 * kRate), 1500},
  };
  for (const Row& row : rows) {
    const std::vector<int16_t> noisy = WithNoise(row.clean, row.sigma, 11);
    const double estimate = EstimateNoiseSigma(noisy.data(), static_cast<int32_t>(noisy.size()));
    // Within 1.5 dB of the noise added.
    EXPECT_NEAR(20 * std::log10(estimate / row.sigma), 0.0, 1.5) << row.signal << " sigma " << row.sigma;
  }
  const std::vector<int16_t> chord = Chord(4 * kRate);
  EXPECT_LT(EstimateNoiseSigma(chord.data(), 4 * kRate), 5.0);  // a clean recording has (almost) none
  EXPECT_EQ(EstimateNoiseSigma(chord.data(), 2047), 0.0);       // shorter than one frame
}

// Noise at 10 dB below the chord raises its empty upper bands by 20 to 30 steps;
// the corrected bytes are back near the clean ones, at every one of 22 positions.
TEST(NoiseCorrectedBands, NoiseTakenOutOfTheBandBytes) {
  const std::vector<int16_t> clean = Chord(4 * kRate);
  const double sigma = Rms(clean) / std::pow(10.0, 10.0 / 20);
  const std::vector<int16_t> noisy = WithNoise(clean, sigma, 5);
  FingerprintBuilder builder(1);
  NoiseCorrectedBands corrected;
  int32_t worstPlain = 0, worstCorrected = 0, sumPlain = 0, sumCorrected = 0, n = 0;
  for (int32_t position = 20000; position < 4 * kRate - 20000; position += 7001) {
    uint8_t truth[8], plain[8], fixed[8];
    builder.ComputeBandBytes(clean.data(), 4 * kRate, position, truth);
    builder.ComputeBandBytes(noisy.data(), 4 * kRate, position, plain);
    ASSERT_TRUE(corrected.PlainBytes(noisy.data(), 4 * kRate, position, fixed));
    NoiseCorrectedBands::Remove(corrected.BiasAt(noisy.data(), position, sigma), fixed);
    for (int32_t c = 0; c < 8; ++c) {
      worstPlain = std::max(worstPlain, std::abs(plain[c] - truth[c]));
      worstCorrected = std::max(worstCorrected, std::abs(fixed[c] - truth[c]));
      sumPlain += std::abs(plain[c] - truth[c]);
      sumCorrected += std::abs(fixed[c] - truth[c]);
      ++n;
    }
  }
  // The bias goes; what stays is the noise's scatter from frame to frame, below
  // the noise-robust mode's band tolerance (25). Measured: 10.0 -> 3.2 on average,
  // 35 -> 19 at worst.
  EXPECT_GT(sumPlain, 8 * n);
  EXPECT_LE(sumCorrected, 4 * n);
  EXPECT_GT(worstPlain, 30);
  EXPECT_LE(worstCorrected, 22);

  // Without noise there is no bias.
  EXPECT_EQ(corrected.BiasAt(clean.data(), 50000, 0.0), NoiseCorrectedBands::Bias{});
}

TEST(LowPass, KeepsTheLowTonesInPlaceAndRemovesTheHighOnes) {
  struct Row {
    double hertz;
    double gainLow, gainHigh;
  };
  for (const Row& row : {Row{440, 0.99, 1.01}, Row{3000, 0.98, 1.02}, Row{10000, 0.0, 0.01}, Row{16000, 0.0, 0.01}}) {
    std::vector<int16_t> tone(kRate);
    for (int32_t t = 0; t < kRate; ++t) {
      tone[t] = static_cast<int16_t>(std::lround(10000 * std::sin(2 * M_PI * row.hertz * t / kRate)));
    }
    const std::vector<int16_t> filtered = LowPassed6k(tone.data(), kRate);
    const std::vector<int16_t> middle(filtered.begin() + 1000, filtered.end() - 1000);
    const std::vector<int16_t> original(tone.begin() + 1000, tone.end() - 1000);
    const double gain = Rms(middle) / Rms(original);
    EXPECT_GE(gain, row.gainLow) << row.hertz;
    EXPECT_LE(gain, row.gainHigh) << row.hertz;
    if (row.gainLow > 0) {
      // No delay: the filtered tone still has its maximum where the tone has.
      const auto at = [](const std::vector<int16_t>& x) { return std::max_element(x.begin(), x.end()) - x.begin(); };
      EXPECT_EQ(at(middle), at(original)) << row.hertz;
    }
  }
}

}  // namespace
}  // namespace melo
