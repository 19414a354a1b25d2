#include "searcher/engine/search_results.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace melo {
namespace {

ResultEntry Entry(int32_t track, int64_t position, int32_t score) {
  ResultEntry e;
  e.track = track;
  e.position = position;
  e.score = score;
  return e;
}

std::vector<int32_t> Scores(const SearchResults& results) {
  std::vector<int32_t> out;
  for (const ResultEntry& e : results.Ordered()) out.push_back(e.score);
  return out;
}

TEST(SearchResults, WithinOneSecondOfTheSameTrackOnlyTheBetterStays) {
  SearchResults results;
  EXPECT_EQ(results.Offer(Entry(3, 100000, 8)), 0);
  EXPECT_EQ(results.Offer(Entry(3, 100000 + 43200, 9)), -1);  // 0.9 s away, worse
  EXPECT_EQ(results.Offer(Entry(3, 100000 + 43200, 8)), -1);  // equal is not better
  EXPECT_EQ(results.Offer(Entry(3, 100000 - 43200, 5)), 0);   // better: replaces it
  ASSERT_EQ(results.Count(), 1);
  EXPECT_EQ(results.Ordered()[0].position, 100000 - 43200);
  EXPECT_EQ(results.Offer(Entry(3, 100000 - 43200 + 48000, 6)), 1);  // 1.0 s away: both stay
  EXPECT_EQ(results.Offer(Entry(4, 100000 - 43200, 7)), 2);          // other track
  EXPECT_EQ(Scores(results), (std::vector<int32_t>{5, 6, 7}));
}

TEST(SearchResults, TenBestByScoreOlderFirstOnTies) {
  SearchResults results;
  for (int32_t t = 0; t < 10; ++t) results.Offer(Entry(t, 0, 10 + t % 5));
  EXPECT_EQ(Scores(results), (std::vector<int32_t>{10, 10, 11, 11, 12, 12, 13, 13, 14, 14}));
  EXPECT_EQ(results.Ordered()[0].track, 0);  // older of the equal scores
  EXPECT_EQ(results.Ordered()[1].track, 5);
  EXPECT_EQ(results.Offer(Entry(20, 0, 14)), -1);  // equal to the tenth
  EXPECT_EQ(results.Offer(Entry(21, 0, 11)), 4);   // after the older 11s; the worst falls out
  EXPECT_EQ(Scores(results), (std::vector<int32_t>{10, 10, 11, 11, 11, 12, 12, 13, 13, 14}));
  EXPECT_EQ(results.Ordered()[9].track, 4);
  results.Clear();
  EXPECT_EQ(results.Count(), 0);
  EXPECT_EQ(results.Offer(Entry(1, 0, 99)), 0);
}

TEST(SearchResults, ConcurrentOffersKeepTheTenBest) {
  SearchResults results;
  std::vector<std::thread> threads;
  for (int w = 0; w < 4; ++w) {
    threads.emplace_back([&results, w] {
      for (int32_t i = 0; i < 2000; ++i) results.Offer(Entry(w * 10000 + i, 0, (i * 7919 + w) % 5000));
    });
  }
  for (auto& t : threads) t.join();
  std::vector<int32_t> all;
  for (int w = 0; w < 4; ++w) {
    for (int32_t i = 0; i < 2000; ++i) all.push_back((i * 7919 + w) % 5000);
  }
  std::sort(all.begin(), all.end());
  all.resize(10);
  EXPECT_EQ(Scores(results), all);
  EXPECT_EQ(results.Owner(), -1);
}

}  // namespace
}  // namespace melo
