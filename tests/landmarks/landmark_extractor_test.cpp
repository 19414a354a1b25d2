#include "landmarks/landmark_extractor.h"

#include "synth/music_like_signal.h"

#include <iterator>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <vector>

namespace melo::landmarks {
namespace {

// The 48 kHz sample at the centre of frame f's window.
constexpr int32_t FrameCentre(int32_t f) { return f * kInputSamplesPerHop + kFrameSize / 2 * kDecimation; }

// A tone burst of `hz` under a Hann envelope of `length` samples centred on `centre`.
void AddBurst(std::vector<int16_t>& s, double hz, int32_t centre, int32_t length, double amplitude) {
  for (int32_t i = 0; i < length; ++i) {
    const int32_t t = centre - length / 2 + i;
    const double envelope = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / length);
    s[t] = static_cast<int16_t>(s[t] + std::lround(amplitude * envelope * std::sin(2 * std::numbers::pi * hz * t / 48000)));
  }
}

TEST(LandmarkExtractor, TwoToneBurstsGiveTheirTwoPeaksAndOnePair) {
  std::vector<int16_t> s(96000, 0);
  AddBurst(s, 1000, FrameCentre(30), 2304, 3000);  // bin 256, frame 30
  AddBurst(s, 1125, FrameCentre(40), 2304, 3000);  // bin 288, frame 40
  LandmarkExtractor extractor(kTrackSettings);
  const LandmarkSet set = extractor.Extract(s);
  EXPECT_EQ(set.frames, LandmarkExtractor::FrameCount(96000));
  ASSERT_EQ(set.peaks.size(), 2u);
  EXPECT_EQ(set.peaks[0].frame, 30);
  EXPECT_EQ(set.peaks[0].bin, 256);
  EXPECT_EQ(set.peaks[1].frame, 40);
  EXPECT_EQ(set.peaks[1].bin, 288);
  ASSERT_EQ(set.landmarks.size(), 1u);
  EXPECT_EQ(set.landmarks[0], (Landmark{922633, 30}));
  EXPECT_EQ(PairHash(256, 288, 10), 922633u);
}

// The target zone: partners 1 .. 20 frames later, 2 .. 127 bins apart.
TEST(LandmarkExtractor, TwoBurstsPairOnlyInsideTheTargetZone) {
  struct Case {
    int32_t frames;
    int32_t bins;
    bool paired;
  };
  for (const Case c : {Case{20, 32, true}, Case{21, 32, false}, Case{1, 40, true}, Case{10, 127, true},
                       Case{10, 128, false}, Case{10, 2, true}, Case{10, 1, false}, Case{10, -60, true}}) {
    std::vector<int16_t> s(96000, 0);
    const double binHz = double{kAnalysisRate} / kFrameSize;
    AddBurst(s, 200 * binHz, FrameCentre(30), 2304, 3000);
    AddBurst(s, (200 + c.bins) * binHz, FrameCentre(30 + c.frames), 2304, 3000);
    const LandmarkSet set = LandmarkExtractor(kTrackSettings).Extract(s);
    ASSERT_EQ(set.peaks.size(), 2u) << c.frames << " frames, " << c.bins << " bins";
    const bool paired = std::any_of(set.landmarks.begin(), set.landmarks.end(), [&](const Landmark& l) {
      return l.hash == PairHash(200, 200 + c.bins, c.frames) && l.frame == 30;
    });
    EXPECT_EQ(paired, c.paired) << c.frames << " frames, " << c.bins << " bins";
  }
}

// A peak's neighbourhood is +-24 bins, at the lowest bins too (no wider there): a
// louder tone 24 bins above or below takes the peak's place, one 25 bins away
// leaves it its own. The louder tone is half as loud again: a bin beside it, at
// half its amplitude under the Hann window, is quieter than the peak.
TEST(LandmarkExtractor, APeaksNeighbourhoodReaches24BinsEitherWay) {
  struct Case {
    int32_t quiet;
    int32_t loud;
    bool kept;
  };
  for (const Case c : {Case{300, 324, false}, Case{300, 325, true}, Case{300, 276, false}, Case{300, 275, true},
                       Case{34, 64, true}}) {
    const double binHz = double{kAnalysisRate} / kFrameSize;
    std::vector<int16_t> s(96000, 0);
    AddBurst(s, c.quiet * binHz, FrameCentre(40), 24000, 2000);  // long enough for one bin's width
    AddBurst(s, c.loud * binHz, FrameCentre(40), 24000, 3000);
    const LandmarkSet set = LandmarkExtractor(kTrackSettings).Extract(s);
    auto has = [&](int32_t bin) {
      return std::any_of(set.peaks.begin(), set.peaks.end(),
                         [&](const SpectralPeak& p) { return p.frame == 40 && p.bin == bin; });
    };
    EXPECT_EQ(has(c.quiet), c.kept) << c.quiet << " beside " << c.loud;
    EXPECT_TRUE(has(c.loud)) << c.loud;
  }
}

TEST(LandmarkExtractor, SilenceAndTooShortGiveNothing) {
  LandmarkExtractor extractor(kTrackSettings);
  EXPECT_TRUE(extractor.Extract(std::vector<int16_t>(48000, 0)).peaks.empty());
  const LandmarkSet tiny = extractor.Extract(std::vector<int16_t>(3000, 1000));
  EXPECT_EQ(tiny.frames, 0);
  EXPECT_TRUE(tiny.landmarks.empty());
}

// However a long track is cut into stretches, its peaks and pairs are the same.
TEST(LandmarkExtractor, StretchesGiveTheSameResultAsOnePass) {
  const std::vector<int16_t> s = synth::MusicLikeSignal(7, 48000 * 12);
  const LandmarkSet whole = LandmarkExtractor(kTrackSettings, 1 << 20).Extract(s);
  ASSERT_GT(whole.landmarks.size(), 100u);
  for (const int32_t stretch : {5, 97, 300}) {
    const LandmarkSet cut = LandmarkExtractor(kTrackSettings, stretch).Extract(s);
    EXPECT_EQ(cut.peaks, whole.peaks) << stretch;
    EXPECT_EQ(cut.landmarks, whole.landmarks) << stretch;
  }
}

// Landmarks away from an excerpt's ends, as (hash, frame + shift).
std::multiset<std::pair<uint32_t, int32_t>> Inner(const LandmarkSet& set, int32_t shift) {
  const int32_t margin = kTrackSettings.peakFrames + kTrackSettings.densityFrames + kTrackSettings.maxFrameDelta;
  std::multiset<std::pair<uint32_t, int32_t>> inner;
  for (const Landmark& l : set.landmarks) {
    if (l.frame >= margin && l.frame < set.frames - margin) inner.insert({l.hash, l.frame + shift});
  }
  return inner;
}

// Cutting an excerpt a whole number of frames later only renumbers its frames; a
// quarter of the level (-12 dB) changes no choice that matters.
TEST(LandmarkExtractor, PairsDoNotDependOnWhereTheExcerptStartsOrOnItsGain) {
  const std::vector<int16_t> track = synth::MusicLikeSignal(11, 48000 * 12);
  LandmarkExtractor extractor(kTrackSettings);
  const int32_t length = 48000 * 6;
  const LandmarkSet first = extractor.Extract({track.data() + 48000, static_cast<size_t>(length)});
  const LandmarkSet later = extractor.Extract({track.data() + 48000 + 5 * kInputSamplesPerHop, static_cast<size_t>(length)});
  const auto a = Inner(first, 0);
  const auto b = Inner(later, 5);
  ASSERT_GT(a.size(), 30u);
  // Both were cut from the same music: where their inner parts overlap they agree.
  std::vector<std::pair<uint32_t, int32_t>> common;
  std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(common));
  int32_t overlapping = 0;
  for (const auto& l : a) overlapping += l.second >= 5 + 54 ? 1 : 0;
  EXPECT_EQ(static_cast<int32_t>(common.size()), overlapping);

  // A quarter of the level lowers every level by ln 16 and takes nothing but the
  // peaks that fall below the quietest level a peak may have.
  std::vector<int16_t> quieter(track.begin() + 48000, track.begin() + 48000 + length);
  for (int16_t& v : quieter) v = static_cast<int16_t>(v / 4);
  const LandmarkSet quiet = extractor.Extract(quieter);
  auto has = [](const LandmarkSet& set, const SpectralPeak& p) {
    return std::any_of(set.peaks.begin(), set.peaks.end(),
                       [&](const SpectralPeak& q) { return q.frame == p.frame && q.bin == p.bin; });
  };
  int32_t loudEnough = 0;
  for (const SpectralPeak& p : first.peaks) {
    if (p.level < 12.5f + std::log(16.0f) + 0.1f) continue;
    ++loudEnough;
    EXPECT_TRUE(has(quiet, p)) << p.frame << " " << p.bin;
  }
  EXPECT_GT(loudEnough, 80);
  for (const SpectralPeak& p : quiet.peaks) EXPECT_TRUE(has(first, p)) << p.frame << " " << p.bin;
}

}  // namespace
}  // namespace melo::landmarks
