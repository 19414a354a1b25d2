#include "landmarks/landmark_blob.h"

#include <gtest/gtest.h>

#include <vector>

namespace melo::landmarks {
namespace {

TEST(LandmarkBlob, TheDocumentedExampleAndLongGapsRoundTrip) {
  const std::vector<Landmark> example = {{58633, 30}, {5, 9000}};
  const std::vector<uint8_t> blob = EncodeLandmarks(example);
  EXPECT_EQ(blob, (std::vector<uint8_t>{0x1E, 0x20, 0xA1, 0x1C, 0xFF, 0x1F, 0, 0, 0x0B, 0xA3, 0, 0}));
  EXPECT_EQ(DecodeLandmarks(blob, 2, 9001), example);

  // Landmarks at frame 0, several on one frame, gaps of exactly and over 8191.
  const std::vector<Landmark> many = {{1, 0}, {kHashCount - 1, 0}, {7, 8190}, {8, 16381}, {9, 16382}, {3, 60000}};
  EXPECT_EQ(DecodeLandmarks(EncodeLandmarks(many), 6, 60001), many);
  EXPECT_EQ(DecodeLandmarks(EncodeLandmarks({}), 0, 0), std::vector<Landmark>{});
}

TEST(LandmarkBlob, ABlobThatIsNotWhatItsRowSaysIsRefused) {
  const std::vector<Landmark> landmarks = {{11, 4}, {12, 9}, {13, 20}};
  const std::vector<uint8_t> blob = EncodeLandmarks(landmarks);
  EXPECT_FALSE(DecodeLandmarks(blob, 2, 100));   // more landmarks than counted
  EXPECT_FALSE(DecodeLandmarks(blob, 4, 100));   // fewer
  EXPECT_FALSE(DecodeLandmarks(blob, 3, 20));    // one beyond the track's frames
  EXPECT_FALSE(DecodeLandmarks({blob.data(), blob.size() - 1}, 3, 100));  // cut
  EXPECT_TRUE(DecodeLandmarks(blob, 3, 21));
}

}  // namespace
}  // namespace melo::landmarks
