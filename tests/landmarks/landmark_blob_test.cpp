#include "landmarks/landmark_blob.h"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <vector>

namespace melo::landmarks {
namespace {

std::optional<std::vector<Landmark>> Decoded(std::span<const uint8_t> blob, int32_t count, int32_t frames) {
  std::vector<Landmark> out = {{1, 1}};  // what a reused buffer held before
  if (!DecodeLandmarks(blob, count, frames, out)) {
    EXPECT_TRUE(out.empty());
    return std::nullopt;
  }
  return out;
}

TEST(LandmarkBlob, TheDocumentedExampleAndLongGapsRoundTrip) {
  const std::vector<Landmark> example = {{922633, 30}, {5, 2000}};
  const std::vector<uint8_t> blob = EncodeLandmarks(example);
  EXPECT_EQ(blob, (std::vector<uint8_t>{0x1E, 0x24, 0x50, 0x38, 0xFF, 0x03, 0, 0, 0xB3, 0x17, 0, 0}));
  EXPECT_EQ(Decoded(blob, 2, 2001), example);

  // Landmarks at frame 0, several on one frame, gaps of exactly and over 1023.
  const std::vector<Landmark> many = {{1, 0}, {kHashCount - 1, 0}, {7, 1022}, {8, 2045}, {9, 2046}, {3, 60000}};
  EXPECT_EQ(Decoded(EncodeLandmarks(many), 6, 60001), many);
  EXPECT_EQ(Decoded(EncodeLandmarks({}), 0, 0), std::vector<Landmark>{});
}

TEST(LandmarkBlob, ABlobThatIsNotWhatItsRowSaysIsRefused) {
  const std::vector<Landmark> landmarks = {{11, 4}, {12, 9}, {13, 20}};
  const std::vector<uint8_t> blob = EncodeLandmarks(landmarks);
  EXPECT_FALSE(Decoded(blob, 2, 100));   // more landmarks than counted
  EXPECT_FALSE(Decoded(blob, 4, 100));   // fewer
  EXPECT_FALSE(Decoded(blob, 3, 20));    // one beyond the track's frames
  EXPECT_FALSE(Decoded({blob.data(), blob.size() - 1}, 3, 100));  // cut
  EXPECT_TRUE(Decoded(blob, 3, 21));
}

}  // namespace
}  // namespace melo::landmarks
