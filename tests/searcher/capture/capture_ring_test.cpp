#include "searcher/capture/capture_ring.h"

#include <gtest/gtest.h>

#include <vector>

namespace melo {
namespace {

TEST(CaptureRing, StereoFramesBecomeMonoSamples) {
  CaptureRing ring;
  const std::vector<int16_t> stereo = {32767, 32767, -32768, -32767, 1, -2, -3, 0, 99};
  ring.Append(stereo.data(), stereo.size());
  EXPECT_EQ(ring.Total(), 4u);
  int16_t out[4];
  EXPECT_EQ(ring.Read(0, 4, out), CaptureRing::kReadInactive);
  ring.SetActive(true);
  ASSERT_EQ(ring.Read(0, 4, out), CaptureRing::kReadOk);
  EXPECT_EQ(std::vector<int16_t>(out, out + 4), (std::vector<int16_t>{32767, -32767, 0, -1}));
  EXPECT_EQ(ring.Read(1, 4, out), CaptureRing::kReadPastNewest);
}

TEST(CaptureRing, KeepsTheNewestHundredSeconds) {
  CaptureRing ring;
  ring.SetActive(true);
  std::vector<int16_t> block(2 * 48000);
  for (int second = 0; second < 100; ++second) {
    for (size_t i = 0; i < block.size(); i += 2) block[i] = block[i + 1] = static_cast<int16_t>(second);
    ring.Append(block.data(), block.size());
  }
  const int16_t last[2] = {1000, 1000};
  ring.Append(last, 2);  // sample 4 800 000 overwrites sample 0
  EXPECT_EQ(ring.Total(), 4800001u);
  EXPECT_EQ(ring.Filled(), CaptureRing::kCapacity);
  std::vector<int16_t> out(CaptureRing::kCapacity);
  EXPECT_EQ(ring.Read(0, 10, out.data()), CaptureRing::kReadTooOld);
  ASSERT_EQ(ring.Read(1, CaptureRing::kCapacity, out.data()), CaptureRing::kReadOk);
  EXPECT_EQ(out.front(), 0);
  EXPECT_EQ(out[48000], 1);
  EXPECT_EQ(out.back(), 1000);
  EXPECT_EQ(ring.Read(4800000, 1, out.data()), CaptureRing::kReadOk);
  EXPECT_EQ(out[0], 1000);
  // The level history follows: 10 ms values of the last second are 99.
  EXPECT_EQ(ring.WithLevels([](PeakEnvelope& levels) { return levels.UpdateMinMax(); }), 99);
}

}  // namespace
}  // namespace melo
