#include "searcher/app/result_charts.h"

#include "fingerprint/index_record.h"
#include "searcher/engine/search_index.h"

#include <gtest/gtest.h>

namespace melo {
namespace {

// One loaded track of 20 frames, each peak 1000 samples into its half second
// with amplitude 1000, except frame 5 (32767) and frame 6 (a mean of -32768,
// drawn by its magnitude).
SearchIndex OneTrack() {
  SearchIndex index;
  TrackIndex track;
  track.count = 20;
  track.loaded = true;
  track.records.resize(20 * IndexRecord::kSize);
  for (int32_t w = 0; w < 20; ++w) {
    IndexRecord r;
    r.position = 1000;
    r.amplitude = w == 5 ? 32767 : w == 6 ? 0x8000 : 1000;
    r.Encode(track.records.data() + w * IndexRecord::kSize);
  }
  index.tracks.push_back(track);
  index.infos.resize(1);
  return index;
}

TEST(ResultChartsTest, ThreeSecondQueriesSpanTheirSamplesAndLeaveOutAmplitudesFromFullScale) {
  const SearchIndex index = OneTrack();
  struct Case {
    int64_t position;     // the hit: track sample at the end of the query
    QList<double> xs;     // where the stored peaks land on the query's axis
  };
  // The query covers track samples position - 144000 ... position; frames 4 to 9
  // are looked at, frame 6 (scaled to 32768) is never drawn.
  const QList<Case> cases = {
      {240000, {1000, 25000, 73000, 97000, 121000}},
      {241000, {0, 24000, 72000, 96000, 120000}},
      {241001, {23999, 71999, 95999, 119999}},  // frame 4 lies one sample before the query
  };
  for (const Case& c : cases) {
    const std::vector<ResultEntry> entries = {{.track = 0, .position = c.position, .trackAmplitude = 1000,
                                               .queryAmplitude = 1000, .score = 3}};
    const ResultPicture picture = AddResult({&entries, &index, 3, 0, true, false}, {});
    EXPECT_EQ(picture.xMax, 144000);
    QList<double> xs;
    for (const QPointF& p : picture.results[0].points) xs.append(p.x());
    EXPECT_EQ(xs, c.xs) << c.position;
    EXPECT_TRUE(picture.results[0].visible);
    EXPECT_FALSE(picture.results[1].visible);
    EXPECT_FALSE(picture.previous.visible);
  }
}

TEST(ResultChartsTest, ThePreviousHitIsDrawnForTenSecondsOfCaptureAfterIt) {
  const SearchIndex index = OneTrack();
  const PreviousHit previous{.track = 0, .queryStartInTrack = 96000, .trackAmplitude = 1000,
                             .queryAmplitude = 500, .captureStart = 1000000};
  struct Case {
    int64_t captureStart;
    bool shown;
    QList<QPointF> points;
  };
  const QList<Case> cases = {
      {1000000, true, {{1000, 500}, {25000, 16383.5}, {49000, 16384}, {73000, 500}, {97000, 500}, {121000, 500}}},
      {1024000, true, {{1000, 16383.5}, {25000, 16384}, {49000, 500}, {73000, 500}, {97000, 500}, {121000, 500}}},
      {1479999, true, {}},  // past the track's end
      {1480000, false, {}},
      {999999, false, {}},  // an older query
  };
  for (const Case& c : cases) {
    const std::vector<ResultEntry> none;
    const ResultPicture picture = AddResult({&none, &index, 3, c.captureStart, true, true}, previous);
    EXPECT_EQ(picture.previous.visible, c.shown) << c.captureStart;
    EXPECT_EQ(picture.previous.points, c.points) << c.captureStart;
  }
}

}  // namespace
}  // namespace melo
