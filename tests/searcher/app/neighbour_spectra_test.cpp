#include "searcher/app/neighbour_spectra.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace melo {
namespace {

constexpr int32_t kLength = 4 * 48000;
constexpr int32_t kChange = 96000;  // where the second signal takes over

// A tone of `cycles` per 2048 samples: a whole number of them gives every frame
// the same magnitudes wherever it starts.
void Tone(std::vector<int16_t>& s, int32_t from, int32_t to, double cycles) {
  for (int32_t i = from; i < to; ++i) {
    s[static_cast<size_t>(i)] = static_cast<int16_t>(8000 * std::sin(2 * std::numbers::pi * cycles * i / 2048.0));
  }
}

QueryKeypoint At(const std::vector<int16_t>& s, int32_t position) {
  FingerprintBuilder builder(1);
  QueryKeypoint k;
  k.position = static_cast<uint32_t>(position);
  builder.ComputeBandBytes(s.data(), kLength, position, k.bands.data());
  return k;
}

// A steady tone's bytes do not move with the point; near a change of the sound
// they do once the frame reaches across it.
TEST(NeighbourSpectra, AKeyPointStaysWithinTheTolerancesUntilItsFrameReachesAChange) {
  std::vector<int16_t> s(kLength);
  Tone(s, 0, kChange, 16);       // 375 Hz, band 0
  Tone(s, kChange, kLength, 40);  // 937.5 Hz, band 2
  const int32_t steady = 30000, nearChange = kChange - 2000;
  const NeighbourSpectra n = MeasureNeighbourSpectra(s, {At(s, steady), At(s, nearChange)}, 5, 10);
  ASSERT_EQ(n.keypoints.size(), 2u);
  const NeighbourSpectra::Keypoint& a = n.keypoints[0];
  const NeighbourSpectra::Keypoint& b = n.keypoints[1];
  EXPECT_EQ(a.stableShift, 12000);
  for (size_t i = 0; i < NeighbourSpectra::kShifts.size(); ++i) EXPECT_EQ(a.largest[i], 0) << i;
  // The frame (1024 samples either side) meets the change beyond 976 samples.
  EXPECT_TRUE(b.stableShift == 300 || b.stableShift == 1000) << b.stableShift;
  EXPECT_GT(b.sum[7], 10);  // 2400 samples
  EXPECT_EQ(n.SharesWithin().front().y(), 100);
  EXPECT_EQ(n.SharesWithin().back().y(), 50);
  EXPECT_EQ(n.Rows()[1][2], QString::number(b.stableShift));
}

}  // namespace
}  // namespace melo
