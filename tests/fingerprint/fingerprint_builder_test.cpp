#include "fingerprint/fingerprint_builder.h"
#include "synth/music_like_signal.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace melo {
namespace {

using Bands = std::array<uint8_t, 8>;

Bands BandsAt(const std::vector<int16_t>& x, int32_t position, bool* inside = nullptr) {
  FingerprintBuilder builder(1);
  Bands out{};
  const bool ok = builder.ComputeBandBytes(x.data(), static_cast<int32_t>(x.size()), position, out.data());
  if (inside) *inside = ok;
  return out;
}

IndexRecord RecordOf(const std::vector<uint8_t>& blob, int32_t w) { return IndexDataView(blob)[w]; }

TEST(BandBytes, ToneFramesLandInTheirBandsWithTheOneBinOffset) {
  // The frame starts at 0 when centred on 1024.
  EXPECT_EQ(BandsAt(synth::FrameTone(16, 10000, 4096), 1024), (Bands{50, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BandsAt(synth::FrameTone(17, 10000, 4096), 1024), (Bands{0, 80, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(BandsAt(synth::FrameTone(40, 10000, 4096), 1024), (Bands{0, 0, 80, 0, 0, 0, 0, 0}));
  // Level does not matter.
  EXPECT_EQ(BandsAt(synth::FrameTone(16, 300, 4096), 1024), (Bands{50, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(BandBytes, EnergyAboveTheCeilingSaturatesAt255) {
  // An isolated click has a flat spectrum of 20000 per bin: every band is far
  // above its ceiling.
  std::vector<int16_t> click(4096, 0);
  click[2000] = 1234;
  EXPECT_EQ(BandsAt(click, 2000), (Bands{255, 255, 255, 255, 255, 255, 255, 255}));
}

TEST(BandBytes, FramesMustLieWhollyInsideTheTrack) {
  const auto x = synth::MusicLikeSignal(9, 4096);
  bool inside = true;
  EXPECT_EQ(BandsAt(x, 1023, &inside), (Bands{255, 255, 255, 255, 255, 255, 255, 255}));
  EXPECT_FALSE(inside);
  BandsAt(x, 1024, &inside);
  EXPECT_TRUE(inside);
  BandsAt(x, 4096 - 1025, &inside);  // frame ends on the second-to-last sample
  EXPECT_TRUE(inside);
  BandsAt(x, 4096 - 1024, &inside);  // frame would end on the last sample
  EXPECT_FALSE(inside);
}

TEST(ProcessWindow, RecordBytesAtTheStartOfATrack) {
  std::vector<int16_t> x(48000, 0);
  const int16_t shape[5] = {-100, -300, -500, -300, -100};
  for (int i = 0; i < 5; ++i) x[1021 + i] = shape[i];     // peak at 1023: frame starts at -1
  for (int i = 0; i < 5; ++i) x[25022 + i] = shape[i];    // peak at 25024: inside
  FingerprintBuilder builder(2);
  const PeakScanner scanner(x.data(), 48000);
  builder.ProcessWindow(scanner, 0, 24000);
  builder.ProcessWindow(scanner, 24000, 24000);
  const auto r = builder.Records();
  const std::vector<uint8_t> first(r.begin(), r.begin() + 12);
  // position 1023, mean -260 stored as FC FE, no bands.
  EXPECT_EQ(first, (std::vector<uint8_t>{0xFF, 0x03, 0xFC, 0xFE, 0, 0, 0, 0, 0, 0, 0, 0}));
  const IndexRecord second = IndexRecord::Decode(r.data() + 12);
  EXPECT_EQ(second.position, 1024);  // 25024 mod 24000
  EXPECT_EQ(second.amplitude, 0xFEFC);
  EXPECT_EQ(second.bands, BandsAt(x, 25024));
  EXPECT_NE(second.bands, (Bands{}));
}

TEST(ProcessWindow, SilenceGivesAZeroRecordAndSlotsWrapAround) {
  const std::vector<int16_t> silence(72000, 0);
  const auto music = synth::MusicLikeSignal(4, 72000);
  FingerprintBuilder builder(2);
  const PeakScanner musicScanner(music.data(), 72000), silenceScanner(silence.data(), 72000);
  builder.ProcessWindow(musicScanner, 0, 24000);
  builder.ProcessWindow(musicScanner, 24000, 24000);
  EXPECT_EQ(builder.Current(), 0);
  builder.ProcessWindow(silenceScanner, 48000, 24000);  // overwrites slot 0
  EXPECT_EQ(builder.Current(), 1);
  EXPECT_EQ(IndexRecord::Decode(builder.Records().data()), IndexRecord{});
  EXPECT_NE(IndexRecord::Decode(builder.Records().data() + 12), IndexRecord{});
}

TEST(FingerprintTrack, NeedsThirtySecondsAndKeepsWholeHalfSeconds) {
  EXPECT_TRUE(FingerprintTrack(synth::FrameTone(16, 10000, 1439999).data(), 1439999).empty());
  for (const auto& [samples, records] : {std::pair{1440000, 60}, {1440001, 60}, {1463999, 60}, {1464000, 61}}) {
    const auto tone = synth::FrameTone(16, 10000, samples);
    EXPECT_EQ(FingerprintTrack(tone.data(), samples).size(), static_cast<size_t>(records) * 12)
        << samples << " samples";
  }
}

TEST(FingerprintTrack, ToneTrackGoldenRecords) {
  // 375 Hz at amplitude 10000: |x| peaks every 64 samples, all equally loud.
  // Window 0: the peak at 32 reaches only 33 to the left, so 96 (radius 64) wins;
  // it lies within 1024 of the start, so it has no bands. Every later window
  // begins on a multiple of 64 and keeps its first peak, at offset 32, on
  // alternating half-waves (mean of the 5 samples: -9976 and +9976).
  const auto tone = synth::FrameTone(16, 10000, 1440000);
  const auto blob = FingerprintTrack(tone.data(), 1440000);
  ASSERT_EQ(blob.size(), 720u);
  EXPECT_EQ(RecordOf(blob, 0), (IndexRecord{96, 55560, {}}));
  for (int32_t w = 1; w < 60; ++w) {
    const uint16_t mean = w % 2 ? 55560 : 9976;
    ASSERT_EQ(RecordOf(blob, w), (IndexRecord{32, mean, {50, 0, 0, 0, 0, 0, 0, 0}})) << "record " << w;
  }
}

// Equally loud clicks every 4800 samples from 2400 on: each interior click
// dominates 4800 samples either way, the first only 2401 to the left. So the
// window starting at 4800m picks click m (m >= 1), and window 0 picks click 1.
std::vector<int16_t> ClickTrain(int32_t count, int16_t amplitude) {
  std::vector<int16_t> x(static_cast<size_t>(count), 0);
  for (int32_t p = 2400; p < count; p += 4800) x[p] = amplitude;
  return x;
}

std::vector<int32_t> Positions(const std::vector<PeakCandidate>& found) {
  std::vector<int32_t> out;
  for (const auto& c : found) out.push_back(c.position);
  return out;
}

TEST(QueryKeypoints, WindowsStepByTenthsOfASecondAndRepeatsAreDropped) {
  const FingerprintBuilder builder(1);
  const auto x = ClickTrain(48000, 1000);
  // Windows start at 0, 4800 ... 19200; window 0 and 4800 both find 7200.
  EXPECT_EQ(Positions(builder.FindQueryKeypoints(x.data(), 48000)),
            (std::vector<int32_t>{7200, 12000, 16800, 21600}));
  EXPECT_TRUE(builder.FindQueryKeypoints(x.data(), 24000).empty());
  EXPECT_EQ(Positions(builder.FindQueryKeypoints(x.data(), 24001)), (std::vector<int32_t>{7200}));
}

TEST(QueryKeypoints, PeaksTooCloseToEitherEndAreSkipped) {
  // 28801 samples: windows at 0 and 4800, the last reaching sample 28799.
  const FingerprintBuilder builder(1);
  for (const auto& [click, kept] : {std::pair{1024, false}, {1025, true}, {27776, true}, {27777, false}}) {
    std::vector<int16_t> x(28801, 0);
    x[click] = 700;
    EXPECT_EQ(builder.FindQueryKeypoints(x.data(), 28801).size(), kept ? 1u : 0u) << "click at " << click;
  }
}

TEST(QueryKeypoints, TheFirstTwentyInWindowOrderAreKept) {
  FingerprintBuilder builder(1);
  const auto x = ClickTrain(150000, -32768);
  ASSERT_EQ(builder.FindQueryKeypoints(x.data(), 150000).size(), 26u);
  const auto keypoints = BuildQueryKeypoints(builder, x.data(), 150000);
  ASSERT_TRUE(keypoints.has_value());
  ASSERT_EQ(keypoints->size(), 20u);
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ((*keypoints)[i].position, 2400u + 4800u * (i + 1));
    EXPECT_EQ((*keypoints)[i].amplitude, 32768);
  }
}

TEST(QueryKeypoints, FewerThanFourMeansNoQuery) {
  FingerprintBuilder builder(1);
  const auto x = ClickTrain(38400, 1000);  // windows 0, 4800, 9600: at most three
  EXPECT_FALSE(BuildQueryKeypoints(builder, x.data(), 38400).has_value());
  const auto music = synth::MusicLikeSignal(8, 4 * 48000);
  const auto keypoints = BuildQueryKeypoints(builder, music.data(), 4 * 48000);
  ASSERT_TRUE(keypoints.has_value());
  EXPECT_GE(keypoints->size(), 4u);
  for (const auto& k : *keypoints) {
    EXPECT_EQ(k.amplitude, std::abs(int32_t{music[k.position]}));
    EXPECT_EQ(k.bands, BandsAt(music, static_cast<int32_t>(k.position)));
  }
}

}  // namespace
}  // namespace melo
