#include "fingerprint/dominant_peak.h"
#include "synth/music_like_signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

namespace melo {
namespace {

// Word for word: each candidate scans outward sample by sample.
DominantPeak ReferencePeak(const int16_t* x, int32_t count, int32_t from, int32_t to) {
  auto amp = [x](int32_t i) { return std::abs(int32_t{x[i]}); };
  DominantPeak best;
  for (int32_t i = std::max(from, 1); i < std::min(to, count - 1); ++i) {
    const int32_t a = amp(i);
    if (!(a > amp(i - 1) && a > amp(i + 1))) continue;
    int32_t left = 2, right = 2;
    if (i >= 2) {
      left = i + 1;
      for (int32_t k = i - 2; k >= 0; --k) {
        if (i - k >= 65535) { left = 65535; break; }
        if (amp(k) >= a) { left = i - k; break; }
      }
      left = std::min(left, 65535);
    }
    if (i + 2 < count) {
      right = count - i;
      for (int32_t k = i + 2; k < count; ++k) {
        if (k - i >= 65535) { right = 65535; break; }
        if (amp(k) >= a) { right = k - i; break; }
      }
      right = std::min(right, 65535);
    }
    const int32_t radius = std::min(left, right);
    if (radius > best.radius) best = {true, i, radius};
  }
  return best;
}

void ExpectSame(const DominantPeak& want, const DominantPeak& got, const char* what) {
  EXPECT_EQ(want.found, got.found) << what;
  EXPECT_EQ(want.position, got.position) << what;
  EXPECT_EQ(want.radius, got.radius) << what;
}

std::vector<std::vector<int16_t>> VariedSignals() {
  std::vector<std::vector<int16_t>> signals;
  const auto music = synth::MusicLikeSignal(1, 60 * 48000);
  signals.push_back(music);
  std::vector<int16_t> clipped(music.size());  // long runs of equal loudness: ties everywhere
  for (size_t i = 0; i < music.size(); ++i) clipped[i] = static_cast<int16_t>(std::clamp(music[i] * 6, -32768, 32767));
  signals.push_back(clipped);
  std::mt19937 rng(42);
  std::vector<int16_t> noise(200000), sparse(300000, 0), steps(200000);
  for (auto& v : noise) v = static_cast<int16_t>(rng() % 65536 - 32768);
  for (int i = 0; i < 60; ++i) sparse[rng() % sparse.size()] = static_cast<int16_t>(rng() % 2000 - 1000);
  for (size_t i = 0; i < steps.size(); ++i) steps[i] = static_cast<int16_t>((i / 7) % 5 * 100 - 200);
  signals.push_back(noise);
  signals.push_back(sparse);
  signals.push_back(steps);
  // Few loudness levels, dense or sparse: neighbouring blocks often peak at the
  // same or the next level, and sparse ones let the best radius grow past a block.
  for (int levels : {3, 13, 20}) {
    for (int density : {1, 8}) {
      std::vector<int16_t> coarse(100000, 0);
      for (auto& v : coarse) {
        if (rng() % density == 0) v = static_cast<int16_t>(rng() % (2 * levels + 1) - levels);
      }
      signals.push_back(coarse);
    }
  }
  return signals;
}

TEST(FindDominantPeak, AgreesWithTheReferenceOnEveryHalfSecondAndOnRandomWindows) {
  std::mt19937 rng(1);
  for (const auto& s : VariedSignals()) {
    const auto count = static_cast<int32_t>(s.size());
    const PeakScanner whole(s.data(), count);
    for (int32_t w = 0; w < count; w += 24000) {
      const DominantPeak want = ReferencePeak(s.data(), count, w, w + 24000);
      ExpectSame(want, whole.Find(w, w + 24000), "track window, whole-buffer scanner");
      ExpectSame(want, FindDominantPeak(s.data(), count, w, w + 24000), "track window");
    }
    for (int trial = 0; trial < 400; ++trial) {
      const int32_t from = static_cast<int32_t>(rng() % count) - 100;
      const int32_t to = from + static_cast<int32_t>(rng() % (trial % 2 ? 30000 : 300));
      const DominantPeak want = ReferencePeak(s.data(), count, from, to);
      ExpectSame(want, FindDominantPeak(s.data(), count, from, to), "random window");
      ExpectSame(want, whole.Find(from, to), "random window, whole-buffer scanner");
    }
    ExpectSame(ReferencePeak(s.data(), count, 0, count), FindDominantPeak(s.data(), count, 0, count),
               "whole signal");
  }
}

// Two layouts where the winner has a louder sample 15 (same 16-sample block) or
// 31 (next block) away, while the best radius so far is just below that distance.
TEST(FindDominantPeak, ShortcutsByBlockPeaksStopAtTheirExactDistance) {
  std::vector<int16_t> same(200, 0);
  same[20] = 50;   // hems in 34 on the left: radius 14
  same[34] = 5;
  same[48] = 10;   // reaches 28 left, 15 right (to 63): radius 15 wins
  same[63] = 20;   // hemmed in by 65
  same[65] = 100;  // outside the window
  DominantPeak p = FindDominantPeak(same.data(), 200, 32, 64);
  EXPECT_EQ(p.position, 48);
  EXPECT_EQ(p.radius, 15);

  std::vector<int16_t> next(200, 0);
  next[20] = 50;   // with 80, hems in 50: radius 30
  next[50] = 5;
  next[80] = 10;   // reaches 60 left, 31 right (to 111, next block): radius 31 wins
  next[111] = 20;
  next[113] = 100;
  p = FindDominantPeak(next.data(), 200, 48, 112);
  EXPECT_EQ(p.position, 80);
  EXPECT_EQ(p.radius, 31);
}

// `n` samples of `fill` with the given samples set.
std::vector<int16_t> Samples(int32_t n, int16_t fill, std::initializer_list<std::pair<int32_t, int16_t>> set) {
  std::vector<int16_t> x(n, fill);
  for (const auto& [i, v] : set) x[i] = v;
  return x;
}

TEST(FindDominantPeak, SmallCasesByHand) {
  std::vector<int16_t> alternating(1000);
  for (int i = 0; i < 1000; ++i) alternating[i] = static_cast<int16_t>(i % 2 ? 5 : -5);
  const struct {
    const char* what;
    std::vector<int16_t> x;
    int32_t from, to;
    DominantPeak want;
  } cases[] = {
      {"flat", Samples(1000, 77, {}), 0, 1000, {}},
      {"silent", Samples(1000, 0, {}), 0, 1000, {}},
      {"-5 and 5 are equally loud", alternating, 0, 1000, {}},
      {"equal peaks go to the earlier; nothing louder left: i + 1", Samples(1000, 0, {{300, 500}, {700, -500}}), 0,
       1000, {true, 300, 301}},
      {"the reach looks beyond the window: 990 hems in 1000", Samples(2000, 0, {{1000, 100}, {1020, 90}, {990, 200}}),
       1000, 1100, {true, 1020, 20}},
      {"i = 1 has a fixed left reach of 2; i = 6 has i + 2 >= count", {0, 9, 0, 0, 0, 0, 3, 0}, 0, 8, {true, 1, 2}},
      {"index 0 and the last index are never candidates", {9, 0, 0, 9}, -5, 10, {}},
  };
  for (const auto& c : cases) {
    const auto count = static_cast<int32_t>(c.x.size());
    ExpectSame(c.want, FindDominantPeak(c.x.data(), count, c.from, c.to), c.what);
  }
}

TEST(FindDominantPeak, ReachesAreCappedSoTiedGiantsGoToTheEarlier) {
  std::vector<int16_t> x(300000, 0);
  x[100000] = 1000;
  x[200000] = 1000;
  const DominantPeak p = FindDominantPeak(x.data(), 300000, 0, 300000);
  ASSERT_TRUE(p.found);
  EXPECT_EQ(p.position, 100000);
  EXPECT_EQ(p.radius, 65535);
}

}  // namespace
}  // namespace melo
