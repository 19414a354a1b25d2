#include "searcher/app/sound_degradation.h"

#include "fingerprint/sample_buffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace melo {
namespace {

std::vector<int16_t> Tone(double hz, double seconds = 1, double amplitude = 10000) {
  std::vector<int16_t> s(static_cast<size_t>(seconds * kSampleRate));
  for (size_t i = 0; i < s.size(); ++i) {
    s[i] = static_cast<int16_t>(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / kSampleRate));
  }
  return s;
}

// The level of the second half (after the filters have settled), in dB of the original's.
double LevelDb(const std::vector<int16_t>& out, const std::vector<int16_t>& in) {
  double a = 0, b = 0;
  for (size_t i = in.size() / 2; i < in.size(); ++i) {
    a += double(out[i]) * out[i];
    b += double(in[i]) * in[i];
  }
  return 10 * std::log10(a / b);
}

TEST(Degrade, TheTelephoneBandPassesSpeechAndCutsBassAndTreble) {
  const Degradation telephone{Degradation::Kind::Telephone};
  struct Row {
    double hz;
    double lowestDb, highestDb;
  };
  for (const Row& row : {Row{1000, -1, 0.5}, Row{1500, -1, 0.5}, Row{60, -200, -35}, Row{8000, -200, -20}}) {
    const std::vector<int16_t> tone = Tone(row.hz);
    const double db = LevelDb(Degrade(tone, telephone, 1), tone);
    EXPECT_GT(db, row.lowestDb) << row.hz;
    EXPECT_LT(db, row.highestDb) << row.hz;
  }
}

TEST(Degrade, NoiseIsAddedAtTheAskedRatioAndTheSameSeedGivesTheSameNoise) {
  const std::vector<int16_t> tone = Tone(440, 2);
  for (const double snr : {0.0, 10.0, 20.0}) {
    const Degradation noisy{Degradation::Kind::Noise, snr};
    const std::vector<int16_t> out = Degrade(tone, noisy, 7);
    std::vector<int16_t> noise(tone.size());
    for (size_t i = 0; i < tone.size(); ++i) noise[i] = static_cast<int16_t>(out[i] - tone[i]);
    EXPECT_NEAR(-LevelDb(noise, tone), snr, 0.2) << snr;
    EXPECT_EQ(Degrade(tone, noisy, 7), out);
    EXPECT_NE(Degrade(tone, noisy, 8), out);
  }
}

TEST(Degrade, TheRoomsEchoRepeatsAClickAfterItsReflections) {
  std::vector<int16_t> click(kSampleRate / 5, 0);
  click[100] = 16000;
  const std::vector<int16_t> out = Degrade(click, {Degradation::Kind::Echo}, 1);
  EXPECT_GT(out[100], 0);
  for (const int ms : {11, 23, 37, 90}) EXPECT_GT(out[100 + ms * 48], 0) << ms;
  EXPECT_EQ(out[100 + 5 * 48], 0);
  EXPECT_EQ(Degrade(click, {}, 1), click);
}

}  // namespace
}  // namespace melo
