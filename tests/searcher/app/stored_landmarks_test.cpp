#include "searcher/app/stored_landmarks.h"

#include "landmarks/peak_pairs.h"

#include <gtest/gtest.h>

namespace melo {
namespace {

landmarks::Landmark At(int32_t anchorBin, int32_t partnerBin, int32_t delta, int32_t frame) {
  return {landmarks::PairHash(anchorBin, partnerBin, delta), frame};
}

StoredTrackLandmarks Stored(std::vector<landmarks::Landmark> marks) {
  StoredTrackLandmarks s;
  s.readable = true;
  s.state = StoredLandmarks::Read;
  s.frames = 5000;
  s.landmarks = std::move(marks);
  return s;
}

// A query landmark meets its twin as a search's look-ups do: within a frame of
// the aligned frame, with the frame delta one shorter or longer; nothing else.
TEST(AlignLandmarks, ATwinIsTheSameShapeWithinAFrameOfTheAlignedPlace) {
  constexpr int32_t kOffset = 1000;
  const landmarks::Landmark query = At(256, 288, 10, 30);
  struct Row {
    const char* what;
    landmarks::Landmark stored;
    int32_t twinFrame;  // -1: none
  };
  for (const Row& row : {Row{"the same place", At(256, 288, 10, 1030), 1030},
                         Row{"a frame later", At(256, 288, 10, 1031), 1031},
                         Row{"a frame earlier", At(256, 288, 10, 1029), 1029},
                         Row{"two frames later", At(256, 288, 10, 1032), -1},
                         Row{"the partner a frame later", At(256, 288, 11, 1030), 1030},
                         Row{"the partner two frames later", At(256, 288, 12, 1030), -1},
                         Row{"another partner note", At(256, 292, 10, 1030), -1},
                         Row{"another anchor note", At(264, 296, 10, 1030), -1}}) {
    const LandmarkAlignment a = AlignLandmarks(std::vector{query}, 300, Stored({row.stored}), kOffset);
    ASSERT_EQ(a.landmarks.size(), 1u) << row.what;
    EXPECT_EQ(a.landmarks[0].storedFrame, row.twinFrame) << row.what;
    EXPECT_EQ(a.matched, row.twinFrame >= 0 ? 1 : 0) << row.what;
  }
}

TEST(AlignLandmarks, CountsTheTracksLandmarksUnderTheQueryOnly) {
  const StoredTrackLandmarks track = Stored({At(300, 320, 5, 99), At(300, 320, 5, 100), At(300, 320, 5, 399),
                                             At(300, 320, 5, 400)});
  EXPECT_EQ(AlignLandmarks({}, 300, track, 100).storedInSpan, 2);
  EXPECT_EQ(track.Between(100, 100).size(), 0u);
}

}  // namespace
}  // namespace melo
