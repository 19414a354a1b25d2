#include "searcher/app/direct_search.h"

#include "fingerprint/fingerprint_builder.h"
#include "fingerprint/index_record.h"
#include "landmarks/landmark_extractor.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/band_filter.h"
#include "searcher/engine/search_engine.h"
#include "searcher/engine/search_index.h"
#include "synth/music_like_signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

namespace melo {
namespace {

constexpr int32_t kRate = 48000;

// Three real tracks among enough random records for the band filter to pay off,
// some of them copies of real records with their bytes moved a little, so that
// queries meet coarse matches in many tracks; the real tracks' landmarks.
class DirectSearchTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::mt19937 rng(11);
    std::vector<std::vector<uint8_t>> fingerprints;
    std::vector<uint8_t> realRecords;
    for (int32_t block = 0; block < 3; ++block) {
      signals_.push_back(synth::MusicLikeSignal(500 + block, 30 * kRate));
      fingerprints.push_back(FingerprintTrack(signals_.back().data(), 30 * kRate));
      realRecords.insert(realRecords.end(), fingerprints.back().begin(), fingerprints.back().end());
    }
    const size_t realFrames = realRecords.size() / IndexRecord::kSize;
    landmarks::LandmarkExtractor extractor(landmarks::kTrackSettings);
    LandmarkIndex::Builder marks;
    auto add = [](std::vector<uint8_t> records) {
      TrackIndex t;
      t.count = static_cast<int32_t>(records.size() / IndexRecord::kSize);
      t.records = std::move(records);
      t.loaded = true;
      index_.tracks.push_back(std::move(t));
      index_.infos.emplace_back();
    };
    for (int32_t block = 0; block < 3; ++block) {
      for (int32_t r = 0; r < 40; ++r) {
        std::vector<uint8_t> records(4000 * IndexRecord::kSize);
        for (size_t j = 0; j < 4000; ++j) {
          uint8_t* record = &records[j * IndexRecord::kSize];
          if (rng() % 8 == 0) {
            std::copy_n(&realRecords[(rng() % realFrames) * IndexRecord::kSize], IndexRecord::kSize, record);
            for (int32_t m = 4; m < 12; ++m) {
              record[m] = static_cast<uint8_t>(std::clamp<int32_t>(record[m] + int32_t(rng() % 5) - 2, 0, 255));
            }
          } else {
            for (size_t b = 0; b < IndexRecord::kSize; ++b) record[b] = static_cast<uint8_t>(rng());
          }
        }
        add(std::move(records));
      }
      real_.push_back(index_.TrackCount());
      const landmarks::LandmarkSet set = extractor.Extract(signals_[static_cast<size_t>(block)]);
      marks.AddTrack(index_.TrackCount(), set.landmarks);
      ++index_.landmarkTracks;
      add(std::move(fingerprints[static_cast<size_t>(block)]));
    }
    index_.recordsCount = index_.TrackCount();
    index_.filter = BandFilter::Build(index_.tracks);
    index_.landmarks = marks.Finish();
  }

  static SearchOutcome EngineSearch(AudioQuery& query, const SearchParameters& params) {
    SearchOutcome outcome;
    SearchEngine engine(index_, 1);
    engine.onFinished = [&](const SearchOutcome& o) { outcome = o; };
    EXPECT_TRUE(engine.Start(query, params));
    engine.Wait();
    return outcome;
  }

  static std::vector<std::vector<int16_t>> signals_;
  static std::vector<int32_t> real_;
  static SearchIndex index_;
};

std::vector<std::vector<int16_t>> DirectSearchTest::signals_;
std::vector<int32_t> DirectSearchTest::real_;
SearchIndex DirectSearchTest::index_;

auto Fields(const ResultEntry& e) {
  return std::tie(e.track, e.position, e.maxBandDifference, e.envelope, e.score, e.insideFrames, e.frame, e.keypoint);
}

// The debug windows' own searches are the program's: the same answers and work
// as the engine's, through the band filter as without it.
TEST_F(DirectSearchTest, GivesTheEnginesAnswersWithAndWithoutTheBandFilter) {
  const std::vector<int16_t> stranger = synth::MusicLikeSignal(999, 6 * kRate);
  struct Query {
    int32_t which;  // -1: the stranger
    double end;     // seconds
  };
  for (const SearchMode mode : {SearchMode::Fast, SearchMode::Thorough, SearchMode::Robust}) {
    SearchParameters params;
    params.SetMode(mode);
    for (const Query& q : {Query{0, 9}, Query{1, 21.5}, Query{2, 14}, Query{-1, 5}}) {
      const std::vector<int16_t>& s = q.which < 0 ? stranger : signals_[static_cast<size_t>(q.which)];
      const auto end = static_cast<size_t>(q.end * kRate);
      const std::string where = std::to_string(int(mode)) + "/" + std::to_string(q.which);
      AudioQuery a, b, c;
      for (AudioQuery* query : {&a, &b, &c}) {
        ASSERT_TRUE(query->Create(s.data() + end - 4 * kRate, 4 * kRate, params.analysis)) << where;
      }
      const DirectSearch program = SearchDirectly(index_, a, params, CoarseMatches::AsTheProgram);
      const DirectSearch everyFrame = SearchDirectly(index_, b, params, CoarseMatches::EveryFrame);
      const SearchOutcome engine = EngineSearch(c, params);
      if (mode != SearchMode::Robust && q.which >= 0) {
        EXPECT_GT(engine.totals.coarseMatches, 100) << where;  // in many tracks
      }
      EXPECT_EQ(program.filtered, mode != SearchMode::Robust) << where;
      EXPECT_FALSE(everyFrame.filtered) << where;
      EXPECT_EQ(program.robust, mode == SearchMode::Robust) << where;
      ASSERT_EQ(program.entries.size(), engine.entries.size()) << where;
      ASSERT_EQ(everyFrame.entries.size(), engine.entries.size()) << where;
      for (size_t i = 0; i < engine.entries.size(); ++i) {
        EXPECT_EQ(Fields(program.entries[i]), Fields(engine.entries[i])) << where;
        EXPECT_EQ(Fields(everyFrame.entries[i]), Fields(engine.entries[i])) << where;
      }
      const ScanCounters& p = program.counters;
      const ScanCounters& e = engine.totals;
      EXPECT_EQ(std::tie(p.framesExamined, p.comparisons, p.coarseMatches, p.windowsPassed, p.offered, p.accepted),
                std::tie(e.framesExamined, e.comparisons, e.coarseMatches, e.windowsPassed, e.offered, e.accepted))
          << where;
      if (q.which < 0) {
        EXPECT_TRUE(engine.entries.empty()) << where;
        continue;
      }
      ASSERT_FALSE(engine.entries.empty()) << where;
      EXPECT_EQ(engine.entries.front().track, real_[static_cast<size_t>(q.which)]) << where;
      if (mode == SearchMode::Robust) {
        // Every track verified at its best offset: the answer heads them.
        const std::vector<LandmarkRanking> ranking = RankByLandmarks(index_, a, params);
        ASSERT_FALSE(ranking.empty()) << where;
        EXPECT_EQ(ranking.front().track, engine.entries.front().track) << where;
        EXPECT_EQ(ranking.front().score, engine.entries.front().score) << where;
      }
    }
  }
}

}  // namespace
}  // namespace melo
