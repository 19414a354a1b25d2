#include "searcher/engine/landmark_index.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace melo {
namespace {

using landmarks::Landmark;

// A track's landmarks: `count` of them, a few frames apart, with hashes drawn from
// the whole space.
std::vector<Landmark> RandomTrack(uint32_t seed, int32_t count) {
  std::mt19937 rng(seed);
  std::vector<Landmark> track;
  int32_t frame = 0;
  for (int32_t i = 0; i < count; ++i) {
    frame += static_cast<int32_t>(rng() % 5);
    track.push_back({static_cast<uint32_t>(rng() % landmarks::kHashCount), frame});
  }
  return track;
}

struct Library {
  std::vector<std::vector<Landmark>> tracks;

  std::unique_ptr<LandmarkIndex> Build(size_t shardLandmarks) const {
    LandmarkIndex::Builder builder(shardLandmarks);
    for (size_t t = 0; t < tracks.size(); ++t) builder.AddTrack(static_cast<int32_t>(t), tracks[t]);
    return builder.Finish();
  }
};

Library SomeTracks() {
  Library library;
  for (uint32_t t = 0; t < 6; ++t) {
    library.tracks.push_back(t == 3 ? std::vector<Landmark>{} : RandomTrack(t + 1, 2000));
  }
  return library;
}

// The landmarks of `track` in frames [from, from + length), as a query starting there
// would find them: every third one lost (another hash in its place), and of the
// others some a frame late and some a frame early.
std::vector<Landmark> Excerpt(const std::vector<Landmark>& track, int32_t from, int32_t length) {
  std::vector<Landmark> query;
  int32_t i = 0;
  for (const Landmark& l : track) {
    if (l.frame < from || l.frame >= from + length) continue;
    if (++i % 3 == 0) {
      query.push_back({(l.hash * 7 + 1) % landmarks::kHashCount, l.frame - from});
      continue;
    }
    const int32_t jitter = i % 4 == 0 ? 1 : i % 4 == 2 && l.frame > from ? -1 : 0;
    query.push_back({l.hash, l.frame - from + jitter});
  }
  return query;
}

TEST(LandmarkIndex, AnExcerptVotesForItsTrackAndOffset) {
  const Library library = SomeTracks();
  const auto index = library.Build(LandmarkIndex::kShardLandmarks);
  EXPECT_EQ(index->TrackCount(), 5);  // the empty track is left out
  EXPECT_EQ(index->LandmarkCount(), 10000);
  EXPECT_EQ(index->LandmarksOf(3), 0);
  EXPECT_EQ(index->LandmarksOf(4), 2000);

  struct Case {
    int32_t track;
    int32_t from;
  };
  // Mid-track, at a track's first frame, and at the last frames of the last track.
  for (const Case c : {Case{2, 1500}, Case{0, 0}, Case{4, library.tracks[4].back().frame + 1 - 250}, Case{5, 37}}) {
    const std::vector<Landmark> query = Excerpt(library.tracks[c.track], c.from, 250);
    const auto best = index->Candidates(query, 3, 10);
    ASSERT_FALSE(best.empty()) << c.track;
    EXPECT_EQ(best[0].track, c.track);
    EXPECT_NEAR(best[0].offset, c.from, 1);
    // Two thirds of the query's landmarks are the track's own, +-1 frame.
    const auto matching = index->Matching(query, best[0]);
    EXPECT_EQ(static_cast<int32_t>(matching.size()), best[0].votes);
    EXPECT_GE(best[0].votes, static_cast<int32_t>(query.size()) * 6 / 10);
    for (size_t k = 1; k < best.size(); ++k) EXPECT_LT(best[k].votes, best[0].votes / 4) << "chance is small";
  }
}

// However the landmarks are cut into shards, and whichever worker looks up which
// shards, the candidates are the same.
TEST(LandmarkIndex, ShardsAndTheirSharingChangeNoCandidate) {
  Library library = SomeTracks();
  // Three tracks of 1.5e9 frames, more than one shard can number together: the
  // third opens a shard of its own. Their landmarks lie near their ends.
  for (uint32_t seed : {97u, 98u, 99u}) {
    library.tracks.push_back(RandomTrack(seed, 100));
    for (Landmark& l : library.tracks.back()) l.frame += 1'499'000'000;
  }
  const auto whole = library.Build(LandmarkIndex::kShardLandmarks);
  std::vector<Landmark> query = Excerpt(library.tracks[1], 900, 300);
  const std::vector<Landmark> other = Excerpt(library.tracks[5], 100, 200);
  query.insert(query.end(), other.begin(), other.end());
  const auto expected = whole->Candidates(query, 2, 10);
  ASSERT_GE(expected.size(), 2u);
  EXPECT_EQ(expected[0].track, 1);
  EXPECT_EQ(expected[1].track, 5);
  for (const size_t shardLandmarks : {size_t{1}, size_t{777}, size_t{3000}}) {
    const auto cut = library.Build(shardLandmarks);
    EXPECT_GT(cut->ShardCount(), whole->ShardCount());
    EXPECT_EQ(cut->Candidates(query, 2, 10), expected) << shardLandmarks;
    for (const int32_t workers : {2, 3}) {
      std::vector<std::vector<LandmarkCandidate>> lists;
      for (int32_t w = 0; w < workers; ++w) lists.push_back(cut->Candidates(query, 2, 10, w, workers));
      EXPECT_EQ(LandmarkIndex::Merge(lists, 10), expected) << shardLandmarks << " " << workers;
    }
    EXPECT_EQ(cut->Matching(query, expected[0]), whole->Matching(query, expected[0]));
  }
  EXPECT_EQ(whole->ShardCount(), 2);
  // The long tracks' landmarks are found far along their frames.
  for (const int32_t track : {6, 7, 8}) {
    const int32_t from = library.tracks[track].front().frame;
    const auto found = whole->Candidates(Excerpt(library.tracks[track], from, 200), 5, 1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].track, track);
    EXPECT_NEAR(found[0].offset, from, 1);
  }
}

TEST(LandmarkIndex, AnEmptyIndexOrQueryFindsNothing) {
  const auto empty = Library{}.Build(LandmarkIndex::kShardLandmarks);
  EXPECT_EQ(empty->ShardCount(), 0);
  EXPECT_TRUE(empty->Candidates(RandomTrack(1, 50), 1, 10).empty());
  EXPECT_TRUE(empty->Matching(RandomTrack(1, 50), {0, 0, 1}).empty());
  EXPECT_TRUE(SomeTracks().Build(LandmarkIndex::kShardLandmarks)->Candidates({}, 1, 10).empty());
}

}  // namespace
}  // namespace melo
