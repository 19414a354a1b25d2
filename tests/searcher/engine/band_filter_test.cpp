#include "fingerprint/fingerprint_builder.h"
#include "fingerprint/index_record.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/band_filter.h"
#include "searcher/engine/search_engine.h"
#include "searcher/engine/search_index.h"
#include "synth/music_like_signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <utility>

namespace melo {
namespace {

constexpr int32_t kRate = 48000;

// A library the filter must see through exactly. Real fingerprints of music-like
// signals: one at the start, one across the border of the filter's first two
// chunks, one at the end. Between them random records over more than two chunks,
// with frames without a peak, and copies of real records with their bytes moved a
// little, so that the queries meet coarse matches everywhere. Tracks too short for
// a query, an empty one and one that could not be read.
class BandFilterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::mt19937 rng(7);
    std::vector<uint8_t> realRecords;
    for (uint32_t seed = 1; seed <= 3; ++seed) {
      signals_.push_back(synth::MusicLikeSignal(300 + seed, 30 * kRate));
      const std::vector<uint8_t> records = FingerprintTrack(signals_.back().data(), 30 * kRate);
      realRecords.insert(realRecords.end(), records.begin(), records.end());
    }
    const int64_t realFrames = static_cast<int64_t>(realRecords.size() / IndexRecord::kSize);
    int64_t frames = 0;
    auto add = [&](std::vector<uint8_t> records, bool loaded = true) {
      TrackIndex t;
      t.count = static_cast<int32_t>(records.size() / IndexRecord::kSize);
      t.records = std::move(records);
      t.loaded = loaded;
      frames += loaded ? t.count : 0;
      index_.tracks.push_back(std::move(t));
    };
    auto real = [&](int32_t which) {
      realTracks_.push_back(static_cast<int32_t>(index_.tracks.size()));
      add(FingerprintTrack(signals_[which].data(), 30 * kRate));
    };
    auto random = [&](int32_t count) {
      std::vector<uint8_t> records(static_cast<size_t>(count) * IndexRecord::kSize);
      for (int32_t j = 0; j < count; ++j) {
        uint8_t* r = &records[static_cast<size_t>(j) * IndexRecord::kSize];
        if (rng() % 8 == 0) {
          std::copy_n(&realRecords[(rng() % realFrames) * IndexRecord::kSize], IndexRecord::kSize, r);
          for (int32_t m = 4; m < 12; ++m) r[m] = static_cast<uint8_t>(std::clamp<int32_t>(r[m] + rng() % 5 - 2, 0, 255));
        } else {
          for (int32_t b = 0; b < 12; ++b) r[b] = static_cast<uint8_t>(rng());
        }
        if (rng() % 500 == 0) r[2] = r[3] = 0;  // no peak
      }
      return records;
    };
    real(0);
    add(random(5));
    add(random(8));  // exactly 2Q frames
    add({});
    add(random(9), false);
    while (frames < (int64_t{1} << 20) - 40) add(random(std::min<int32_t>(3000 + rng() % 9000, (1 << 20) - 40 - frames)));
    real(1);  // across the first chunk's end
    while (frames < (int64_t{5} << 19)) add(random(3000 + static_cast<int32_t>(rng() % 9000)));
    real(2);
    index_.recordsCount = static_cast<int32_t>(index_.tracks.size());
    filter_ = BandFilter::Build(index_.tracks);
  }

  // Searches one engine with each query in turn, so that each search also tracks
  // the hits of the two before it; with or without the filter.
  std::vector<SearchOutcome> SearchAll(const std::vector<AudioQuery*>& queries, const SearchParameters& params,
                                       bool filtered, int32_t workers = 1) {
    index_.filter = filtered ? std::move(filter_) : nullptr;
    std::vector<SearchOutcome> outcomes;
    {
      SearchEngine engine(index_, workers);
      for (AudioQuery* query : queries) {
        engine.onFinished = [&](const SearchOutcome& o) { outcomes.push_back(o); };
        EXPECT_TRUE(engine.Start(*query, params));
        engine.Wait();
      }
    }
    if (filtered) filter_ = std::move(index_.filter);
    return outcomes;
  }

  // Real excerpts in the order a listener hears them, then music not in the library.
  std::vector<AudioQuery*> Queries(QueryAnalysis analysis, int32_t seconds) {
    queries_.clear();
    const std::vector<int16_t> stranger = synth::MusicLikeSignal(999, 10 * kRate);
    for (const auto& [track, end] : {std::pair{1, 9.0}, {1, 10.0}, {1, 11.0}, {0, 25.5}, {2, 16.2}, {-1, 8.0}}) {
      const std::vector<int16_t>& s = track < 0 ? stranger : signals_[track];
      auto query = std::make_unique<AudioQuery>();
      const int32_t length = seconds * kRate;
      if (query->Create(s.data() + static_cast<size_t>(end * kRate) - length, length, analysis)) {
        queries_.push_back(std::move(query));
      }
    }
    std::vector<AudioQuery*> pointers;
    for (const auto& q : queries_) pointers.push_back(q.get());
    return pointers;
  }

  static std::vector<std::vector<int16_t>> signals_;
  static std::vector<int32_t> realTracks_;
  static SearchIndex index_;
  static std::unique_ptr<BandFilter> filter_;
  std::vector<std::unique_ptr<AudioQuery>> queries_;
};

std::vector<std::vector<int16_t>> BandFilterTest::signals_;
std::vector<int32_t> BandFilterTest::realTracks_;
SearchIndex BandFilterTest::index_;
std::unique_ptr<BandFilter> BandFilterTest::filter_;

void ExpectSameOutcome(const SearchOutcome& a, const SearchOutcome& b, const std::string& where) {
  ASSERT_EQ(a.entries.size(), b.entries.size()) << where;
  for (size_t i = 0; i < a.entries.size(); ++i) {
    const ResultEntry& x = a.entries[i];
    const ResultEntry& y = b.entries[i];
    EXPECT_EQ(std::tie(x.track, x.position, x.trackAmplitude, x.queryAmplitude, x.maxBandDifference, x.envelope,
                       x.score, x.insideFrames, x.frame, x.keypoint),
              std::tie(y.track, y.position, y.trackAmplitude, y.queryAmplitude, y.maxBandDifference, y.envelope,
                       y.score, y.insideFrames, y.frame, y.keypoint))
        << where << " entry " << i;
  }
  const ScanCounters& s = a.totals;
  const ScanCounters& t = b.totals;
  EXPECT_EQ(std::tie(s.framesExamined, s.comparisons, s.coarseMatches, s.windowsPassed, s.offered, s.accepted),
            std::tie(t.framesExamined, t.comparisons, t.coarseMatches, t.windowsPassed, t.offered, t.accepted))
      << where;
  EXPECT_EQ(a.breakPoint, b.breakPoint) << where;
  EXPECT_EQ(a.tracksScanned, b.tracksScanned) << where;
}

TEST_F(BandFilterTest, SearchesGiveTheFullScansResultsCountersAndBreakPoint) {
  ASSERT_TRUE(filter_);
  struct Case {
    const char* name;
    SearchMode mode;
    int32_t bandTolerance, sumTolerance;  // 0: the mode's own
    int32_t querySeconds;
    bool filterExpected;
  };
  for (const Case& c : {Case{"fast", SearchMode::Fast, 0, 0, 4, true},
                        Case{"thorough", SearchMode::Thorough, 0, 0, 4, true},
                        Case{"scrupulous", SearchMode::Scrupulous, 0, 0, 4, true},
                        Case{"noisy", SearchMode::Noisy, 0, 0, 4, true}, Case{"fast, 7 s", SearchMode::Fast, 0, 0, 7, true},
                        Case{"band tolerance 60", SearchMode::Fast, 60, 0, 4, true},
                        Case{"band 60, sum 150", SearchMode::Fast, 60, 150, 4, false}}) {
    SearchParameters params;
    params.SetMode(c.mode);
    if (c.bandTolerance > 0) params.bandTolerance = c.bandTolerance;
    if (c.sumTolerance > 0) params.sumTolerance = c.sumTolerance;
    params.querySeconds = c.querySeconds;
    const std::vector<AudioQuery*> queries = Queries(params.analysis, params.querySeconds);
    const std::vector<SearchOutcome> filtered = SearchAll(queries, params, true);
    const std::vector<SearchOutcome> full = SearchAll(queries, params, false);
    ASSERT_EQ(filtered.size(), queries.size());
    ASSERT_EQ(full.size(), queries.size());
    for (size_t q = 0; q < queries.size(); ++q) {
      const std::string where = std::string(c.name) + ", query " + std::to_string(q);
      EXPECT_EQ(filtered[q].filtered, c.filterExpected) << where;
      EXPECT_FALSE(full[q].filtered) << where;
      ExpectSameOutcome(filtered[q], full[q], where);
    }
    // The excerpts are found where they are, the stranger is not.
    EXPECT_EQ(filtered[0].entries.at(0).track, realTracks_[1]) << c.name;
    EXPECT_EQ(filtered[3].entries.at(0).track, realTracks_[0]) << c.name;
    EXPECT_EQ(filtered[4].entries.at(0).track, realTracks_[2]) << c.name;
    EXPECT_GT(filtered[0].totals.coarseMatches, 20) << c.name;
  }
}

TEST_F(BandFilterTest, SeveralWorkersShareTheFilteredWorkLikeTheFullScan) {
  SearchParameters params;
  params.SetMode(SearchMode::Thorough);
  const std::vector<AudioQuery*> queries = Queries(params.analysis, params.querySeconds);
  const std::vector<SearchOutcome> filtered = SearchAll(queries, params, true, 3);
  const std::vector<SearchOutcome> full = SearchAll(queries, params, false, 1);
  for (size_t q = 0; q < queries.size(); ++q) {
    // Which of two equal candidates is offered first depends on the workers'
    // timing; the work done does not.
    const ScanCounters& s = filtered[q].totals;
    const ScanCounters& t = full[q].totals;
    EXPECT_EQ(std::tie(s.framesExamined, s.comparisons, s.coarseMatches, s.windowsPassed, s.offered),
              std::tie(t.framesExamined, t.comparisons, t.coarseMatches, t.windowsPassed, t.offered))
        << q;
    ASSERT_EQ(filtered[q].Found(), full[q].Found()) << q;
    if (full[q].Found()) EXPECT_EQ(filtered[q].entries[0].score, full[q].entries[0].score) << q;
    EXPECT_EQ(filtered[q].tracksScanned, full[q].tracksScanned) << q;
  }
}

// Bytes spread evenly over 0-255 give cells of 16 values: 30 lies in cell 1, 32
// opens cell 2. A frame 2 away from the key point in every filtered band but two
// has exactly the sum the tolerance allows and must be reached however the probe
// prunes; one a little farther must not.
TEST(BandFilter, AProbeReachesAFrameRightAtTheSumTolerance) {
  std::vector<TrackIndex> tracks(1);
  TrackIndex& t = tracks[0];
  auto add = [&](std::array<uint8_t, 8> bands) {
    const std::array<uint8_t, 4> peak = {0, 0, 100, 0};
    t.records.insert(t.records.end(), peak.begin(), peak.end());
    t.records.insert(t.records.end(), bands.begin(), bands.end());
  };
  for (int32_t j = 0; j < 256 * 64; ++j) add({static_cast<uint8_t>(j), static_cast<uint8_t>(j), static_cast<uint8_t>(j),
                                               static_cast<uint8_t>(j), static_cast<uint8_t>(j), static_cast<uint8_t>(j),
                                               static_cast<uint8_t>(j), static_cast<uint8_t>(j)});
  const int32_t atTolerance = 256 * 64, beyond = atTolerance + 1;
  add({32, 32, 30, 32, 32, 30, 30, 32});  // key bands 0 and 4, extra bands 1, 3 and 7: a sum of 10
  add({32, 32, 32, 32, 32, 30, 30, 32});  // band 2 too: 12
  t.count = static_cast<int32_t>(t.records.size() / IndexRecord::kSize);
  t.loaded = true;
  const std::unique_ptr<BandFilter> filter = BandFilter::Build(tracks);
  ASSERT_TRUE(filter);
  const std::array<uint8_t, 8> key = {30, 30, 30, 30, 30, 30, 30, 30};
  std::vector<int32_t> reached;
  filter->Visit(filter->ProbeFor(key.data(), 5, 10), [&](const FilteredFrame& f) { reached.push_back(f.frame); });
  EXPECT_NE(std::find(reached.begin(), reached.end(), atTolerance), reached.end());
  EXPECT_EQ(std::find(reached.begin(), reached.end(), beyond), reached.end());
}

}  // namespace
}  // namespace melo
