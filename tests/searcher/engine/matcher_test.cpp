#include "fingerprint/index_record.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/matcher.h"
#include "searcher/engine/search_index.h"
#include "searcher/engine/search_results.h"
#include "synth/music_like_signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace melo {
namespace {

void SetRecord(TrackIndex& t, int32_t j, int32_t pos, int32_t amp, const std::array<uint8_t, 8>& bands) {
  IndexRecord{static_cast<uint16_t>(pos), static_cast<uint16_t>(amp), bands}.Encode(t.records.data() + 12 * j);
}

TrackIndex EmptyTrack(int32_t n) {
  TrackIndex t;
  t.count = n;
  t.records.assign(static_cast<size_t>(n) * 12, 0);
  t.loaded = true;
  return t;
}

struct Scan {
  SearchResults results;
  ScanCounters counters;
  ScanDiagnostics diagnostics;
  ScanScratch scratch;
  Scan() {
    scratch.counters = &counters;
    scratch.diagnostics = &diagnostics;
  }
};

// The coarse stage as written in words: per frame and key point, band by band,
// stopping at the first byte over tolerance. The matcher's table-driven stage
// must give exactly what this gives.
void PlainFullScan(const QueryMatcher& matcher, const AudioQuery& query, const SearchParameters& p, int32_t track,
                   const TrackIndex& index, Scan& scan) {
  const int32_t n = index.count;
  if (n <= 2 * p.querySeconds) {
    scan.diagnostics.breakPoint = 10;
    return;
  }
  const auto& keypoints = query.Keypoints();
  for (int32_t i = 0; i < n - 2 * p.querySeconds; ++i) {
    ++scan.counters.framesExamined;
    const uint8_t* r = index.records.data() + 12 * i;
    if ((r[2] | r[3]) == 0 || keypoints.empty()) continue;
    for (int32_t k = 0; k < static_cast<int32_t>(keypoints.size()); ++k) {
      ++scan.counters.comparisons;
      int32_t sum = 0, largest = 0;
      bool within = true;
      for (int32_t m = 0; m < 8 && within; ++m) {
        const int32_t d = std::abs(r[4 + m] - keypoints[k].bands[m]);
        within = d <= p.bandTolerance;
        sum += d;
        largest = std::max(largest, d);
      }
      if (!within || sum > p.sumTolerance) continue;
      matcher.EvaluateCoarseMatch(track, index, {i, k, sum, largest}, scan.results, scan.scratch);
    }
  }
}

void ExpectSameScans(Scan& fast, Scan& plain) {
  EXPECT_EQ(fast.counters.framesExamined, plain.counters.framesExamined);
  EXPECT_EQ(fast.counters.comparisons, plain.counters.comparisons);
  EXPECT_EQ(fast.counters.coarseMatches, plain.counters.coarseMatches);
  EXPECT_EQ(fast.counters.windowsPassed, plain.counters.windowsPassed);
  EXPECT_EQ(fast.counters.offered, plain.counters.offered);
  EXPECT_EQ(fast.counters.accepted, plain.counters.accepted);
  EXPECT_EQ(fast.diagnostics.breakPoint, plain.diagnostics.breakPoint);
  const auto a = fast.results.Ordered(), b = plain.results.Ordered();
  ASSERT_EQ(a.size(), b.size());
  for (size_t e = 0; e < a.size(); ++e) {
    EXPECT_EQ(a[e].track, b[e].track);
    EXPECT_EQ(a[e].position, b[e].position);
    EXPECT_EQ(a[e].score, b[e].score);
    EXPECT_EQ(a[e].keypoint, b[e].keypoint);
  }
}

TEST(Matcher, TableDrivenCoarseStageEqualsThePlainLoop) {
  // Real fingerprints: five tracks, one of which holds the (noisy) query.
  std::vector<TrackIndex> tracks;
  std::vector<std::vector<int16_t>> sources;
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    sources.push_back(synth::MusicLikeSignal(seed, 40 * 48000));
    TrackIndex t;
    t.records = FingerprintTrack(sources.back().data(), 40 * 48000);
    t.count = static_cast<int32_t>(t.records.size() / 12);
    t.loaded = true;
    tracks.push_back(std::move(t));
  }
  std::vector<int16_t> excerpt(sources[2].begin() + 480000, sources[2].begin() + 480000 + 4 * 48000);
  for (size_t s = 0; s < excerpt.size(); s += 3) excerpt[s] = static_cast<int16_t>(excerpt[s] / 2 + 700);
  AudioQuery query;
  ASSERT_TRUE(query.Create(excerpt.data(), static_cast<int32_t>(excerpt.size()), QueryAnalysis::Plain));

  // Random records near the key points' bands, so that many frames pass or just
  // miss the coarse test.
  std::mt19937 rng(5);
  TrackIndex random = EmptyTrack(3000);
  for (int32_t j = 0; j < random.count; ++j) {
    std::array<uint8_t, 8> bands = query.Keypoints()[rng() % query.Keypoints().size()].bands;
    for (int nudge = 0; nudge < 2; ++nudge) {  // two bands off by up to 6: right at the tolerances
      uint8_t& b = bands[rng() % 8];
      b = static_cast<uint8_t>(std::clamp(int32_t{b} + static_cast<int32_t>(rng() % 13) - 6, 0, 255));
    }
    SetRecord(random, j, static_cast<int32_t>(rng() % 24000), static_cast<int32_t>(rng() % 3 ? rng() % 30000 : 0), bands);
  }
  tracks.push_back(std::move(random));

  for (const SearchMode mode : {SearchMode::Fast, SearchMode::Scrupulous, SearchMode::Noisy}) {
    SearchParameters params;
    params.SetMode(mode);
    const QueryMatcher matcher(query, params);
    int64_t coarse = 0;
    for (int32_t t = 0; t < static_cast<int32_t>(tracks.size()); ++t) {
      Scan fast, plain;
      matcher.FullScan(t, tracks[t], fast.results, fast.scratch);
      PlainFullScan(matcher, query, params, t, tracks[t], plain);
      ExpectSameScans(fast, plain);
      coarse += fast.counters.coarseMatches;
    }
    EXPECT_GT(coarse, 50);  // the comparison has something to compare
  }
}

// A chance alignment has no second key point on a track peak; the true one has
// several, as long as the peaks lie within 3 samples of where the query has them.
TEST(Matcher, OtherKeyPointsConfirmOnlyTheTrueAlignment) {
  const std::vector<int16_t> music = synth::MusicLikeSignal(21, 40 * 48000);
  TrackIndex track;
  track.records = FingerprintTrack(music.data(), 40 * 48000);
  track.count = static_cast<int32_t>(track.records.size() / 12);
  track.loaded = true;
  AudioQuery query;
  ASSERT_TRUE(query.Create(music.data() + 480000, 4 * 48000, QueryAnalysis::Plain));
  SearchParameters params;
  params.SetMode(SearchMode::Noisy);
  const QueryMatcher matcher(query, params);
  const AlignedWindow truth{0, 0, 480000};
  auto confirming = [&](const TrackIndex& t, const AlignedWindow& w) {
    return matcher.ConfirmingKeypoints(t, w, 0, 20, 30);
  };
  EXPECT_GE(confirming(track, truth), 3);
  EXPECT_EQ(confirming(track, {0, 0, 480000 + 7919}), 0);
  EXPECT_EQ(confirming(track, {0, 0, -480000}), 0);           // before the track's start
  EXPECT_EQ(confirming(track, {0, 0, 40 * 48000 - 1000}), 0);  // past its end
  for (const int32_t shift : {3, 4}) {
    TrackIndex moved = track;
    for (int32_t j = 0; j < moved.count; ++j) {
      uint8_t* r = moved.records.data() + 12 * j;
      const int32_t position = (r[0] | (r[1] << 8)) + shift;
      r[0] = static_cast<uint8_t>(position & 0xFF);
      r[1] = static_cast<uint8_t>(position >> 8);
    }
    EXPECT_EQ(confirming(moved, truth), shift == 3 ? confirming(track, truth) : 0) << shift;
  }
}

class MatcherGolden : public ::testing::Test {
 protected:
  void SetUp() override {
    signal = synth::MusicLikeSignal(21, 3 * 48000);  // L = 144000: six frames
    ASSERT_TRUE(query.Create(signal.data(), static_cast<int32_t>(signal.size()), QueryAnalysis::Plain));
    for (size_t k = 0; k < query.Keypoints().size(); ++k) {
      if (query.Keypoints()[k].position >= 48000 && query.Keypoints()[k].position < 96000) key = static_cast<int32_t>(k);
    }
    ASSERT_GE(key, 0);
    // Band 0 of the other frames: as far from every key point's band 0 as can be,
    // so that only the prepared frame passes a coarse test, even a relaxed one.
    int32_t bestGap = -1;
    for (int32_t v = 0; v < 256; ++v) {
      int32_t gap = 256;
      for (const QueryKeypoint& k : query.Keypoints()) gap = std::min(gap, std::abs(v - int32_t{k.bands[0]}));
      if (gap > bestGap) {
        bestGap = gap;
        far.fill(255);
        far[0] = static_cast<uint8_t>(v);
      }
    }
    ASSERT_GT(bestGap, params.bandTolerance + params.extraBandTolerance);
    params.minimumAmplitude = 40000;  // no frame takes part in the fine stage: the score is the coarse sum
  }

  // Frame 10 + t covers query samples t * 24000 + its position. The key point's
  // own frame carries its bands; the other query frames get their positions from
  // firstPos (t = 0), lastPos (t = 5) or the middle, and amplitudes equal to the
  // query's samples there, so the envelope agrees exactly.
  TrackIndex AlignedTrack(int32_t firstPos, int32_t lastPos) const {
    const QueryKeypoint& k = query.Keypoints()[key];
    TrackIndex track = EmptyTrack(30);
    for (int32_t j = 0; j < track.count; ++j) SetRecord(track, j, 0, 1000, far);
    for (int32_t t = 0; t < 6; ++t) {
      const int32_t pos = t == 0 ? firstPos : t == 5 ? lastPos : 12000;
      SetRecord(track, 10 + t, pos, std::abs(int32_t{signal[t * 24000 + pos]}), far);
    }
    SetRecord(track, 10 + k.position / 24000, k.position % 24000, k.amplitude, k.bands);
    return track;
  }

  std::vector<int16_t> signal;
  AudioQuery query;
  SearchParameters params;
  int32_t key = -1;
  std::array<uint8_t, 8> far{};
};

TEST_F(MatcherGolden, WindowsNeedSixFramesWithAWholeFrameOfQueryAroundThem) {
  const QueryMatcher matcher(query, params);
  const struct {
    int32_t firstPos, lastPos;
    bool offered;
  } cases[] = {{1024, 22976, true}, {1023, 22976, false}, {1024, 22977, false}};
  for (const auto& c : cases) {
    Scan scan;
    matcher.FullScan(0, AlignedTrack(c.firstPos, c.lastPos), scan.results, scan.scratch);
    ASSERT_EQ(scan.results.Count(), c.offered ? 1 : 0) << c.firstPos << " " << c.lastPos;
    if (c.offered) {
      const ResultEntry best = scan.results.Ordered()[0];
      EXPECT_EQ(best.insideFrames, 6);
      EXPECT_EQ(best.score, 0);
      EXPECT_EQ(best.position, 240000 + 144000);  // where the query ends in the track
      EXPECT_EQ(best.keypoint, key);
      EXPECT_EQ(scan.diagnostics.breakPoint, 6);
    }
    // Tracking needs no six frames.
    Scan tracking;
    matcher.TrackingScan(0, AlignedTrack(c.firstPos, c.lastPos), tracking.results, 0, 30, tracking.scratch);
    EXPECT_EQ(tracking.results.Count(), 1) << c.firstPos << " " << c.lastPos;
  }
  // A sum and a score equal to their bar pass: Ts = 0 still takes an exact match.
  params.sumTolerance = 0;
  Scan exact;
  QueryMatcher(query, params).FullScan(0, AlignedTrack(1024, 22976), exact.results, exact.scratch);
  EXPECT_EQ(exact.results.Count(), 1);
}

TEST_F(MatcherGolden, TracksNoLongerThanTheQueryAreNotScanned) {
  const QueryMatcher matcher(query, params);
  Scan eight, nine;
  matcher.FullScan(0, EmptyTrack(8), eight.results, eight.scratch);
  EXPECT_EQ(eight.diagnostics.breakPoint, 10);
  EXPECT_EQ(eight.counters.framesExamined, 0);
  matcher.FullScan(0, EmptyTrack(9), nine.results, nine.scratch);
  EXPECT_EQ(nine.counters.framesExamined, 1);
}

TEST(EnvelopeCheck, AnErrorEqualToTheToleranceTriesTheNeighbours) {
  constexpr int32_t p1 = 72100, p2 = 96200;
  auto query = [&](int16_t afterP2) {
    std::vector<int16_t> x = synth::MusicLikeSignal(30, 4 * 48000);
    for (int32_t d = -3; d <= 3; ++d) x[p1 + d] = x[p2 + d] = 0;
    x[p1] = 1000;
    x[p1 - 1] = -860;  // |850 - 860| -> 1 %
    x[p2] = -700;
    x[p2 + 1] = afterP2;
    auto q = std::make_unique<AudioQuery>();
    EXPECT_TRUE(q->Create(x.data(), static_cast<int32_t>(x.size()), QueryAnalysis::Plain));
    return q;
  };
  TrackIndex track = EmptyTrack(10);
  SetRecord(track, 3, 100, 1000, {});
  SetRecord(track, 4, 200, 1000, {});
  // Expected loudness at both points: 1000 * 1700 / 2000 = 850; errors 15 % each.
  SearchParameters params;  // Ta = 15
  const auto good = query(800);  // p2 + 1 gives 5 %
  EXPECT_EQ(QueryMatcher(*good, params).EnvelopeCheck(track, {3, 2, 0}), 5);
  const auto bad = query(0);
  EXPECT_EQ(QueryMatcher(*bad, params).EnvelopeCheck(track, {3, 2, 0}), -1);
  params.amplitudeTolerance = 16;
  EXPECT_EQ(QueryMatcher(*bad, params).EnvelopeCheck(track, {3, 2, 0}), 15);

  const QueryMatcher matcher(*good, SearchParameters{});
  EXPECT_EQ(matcher.EnvelopeCheck(track, {8, 2, 0}), -2);        // reaches the last record
  EXPECT_EQ(matcher.EnvelopeCheck(track, {3, 2, 100000}), -3);   // before the query
  EXPECT_EQ(matcher.EnvelopeCheck(track, {3, 0, 0}), 0);
  TrackIndex silent = EmptyTrack(10);
  EXPECT_EQ(matcher.EnvelopeCheck(silent, {3, 2, 0}), -1);         // nothing to divide by
}

TEST(Matcher, NegativeHalfWavePeaksCountByTheirMagnitude) {
  // The stored amplitude of a peak on a negative half-wave is a negative mean; a
  // record of -1000 must weigh like one of +1000.
  auto x = synth::MusicLikeSignal(30, 4 * 48000);
  x[72100] = 1000;
  x[96200] = -1000;
  AudioQuery q;
  ASSERT_TRUE(q.Create(x.data(), static_cast<int32_t>(x.size()), QueryAnalysis::Plain));
  TrackIndex track = EmptyTrack(10);
  SetRecord(track, 3, 100, 1000, {});
  SetRecord(track, 4, 200, static_cast<uint16_t>(-1000), {});
  EXPECT_EQ(QueryMatcher(q, SearchParameters{}).EnvelopeCheck(track, {3, 2, 0}), 0);
}

}  // namespace
}  // namespace melo
