#include "searcher/app/result_charts.h"

#include "fingerprint/index_record.h"
#include "fingerprint/sample_buffer.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/search_index.h"

#include <algorithm>
#include <cstdlib>

namespace melo {

namespace {

constexpr int32_t kBlock = 480;  // 10 ms
constexpr int32_t kWorstScore = 999999;
constexpr int64_t kPreviousHitReach = 479999;  // samples captured since the previous hit
constexpr double kDrawnBelow = 32768;

// Records first .. first + 2Q - 1 of `track`, placed on the query's axis by
// `shift` (the track sample at query sample 0) and scaled by `scale`.
QList<QPointF> StoredPoints(const TrackIndex& track, int64_t first, int32_t querySeconds, int64_t shift, double scale) {
  QList<QPointF> points;
  const IndexDataView records({track.records.data(), track.records.size()});
  const double xMax = double(querySeconds) * kSampleRate;
  for (int64_t w = std::max<int64_t>(first, 0); w < first + 2 * querySeconds && w < records.size(); ++w) {
    const auto record = static_cast<int32_t>(w);
    const double x = double(records.PeakSample(record) - shift);
    // The stored amplitude is a signed mean; its magnitude is what the matcher
    // compares with the query's peaks, and what is drawn beside them.
    const double y = std::abs(int32_t{static_cast<int16_t>(records[record].amplitude)}) * scale;
    if (x >= 0 && x <= xMax && y < kDrawnBelow) points.append({x, y});
  }
  return points;
}

const TrackIndex* Track(const SearchIndex* index, int32_t track) {
  if (!index || track < 0 || track >= index->TrackCount() || !index->tracks[track].loaded) return nullptr;
  return &index->tracks[track];
}

}  // namespace

QueryPicture Analyze(const AudioQuery& query) {
  QueryPicture picture;
  const std::vector<int16_t>& x = query.Samples();
  for (size_t start = 0; start < x.size(); start += kBlock) {
    int32_t peak = 0;
    for (size_t i = start; i < std::min(start + kBlock, x.size()); ++i) peak = std::max(peak, std::abs(int32_t{x[i]}));
    picture.envelope.append({double(start), double(peak)});
  }
  for (const QueryKeypoint& k : query.Keypoints()) {
    picture.keypoints.append({double(k.position), double(k.amplitude)});
    QStringList bands;
    for (const uint8_t b : k.bands) bands.append(QString::number(b));
    picture.lines.append(QStringLiteral("Pos=%1\tAmp=%2\tSpecter=%3").arg(k.position).arg(k.amplitude).arg(bands.join(',')));
  }
  return picture;
}

ResultPicture AddResult(const ResultPictureInput& in, const PreviousHit& previous) {
  ResultPicture picture;
  const int32_t q = in.querySeconds;
  picture.xMax = double(q) * kSampleRate;
  const std::vector<ResultEntry> none;
  const std::vector<ResultEntry>& entries = in.entries ? *in.entries : none;
  for (size_t k = 0; k < picture.results.size() && k < entries.size(); ++k) {
    const ResultEntry& e = entries[k];
    ResultSeries& series = picture.results[k];
    series.visible = k == 0 ? in.showBest : in.showOthers;
    const TrackIndex* track = Track(in.index, e.track);
    if (!track || e.score > kWorstScore || q <= 0 || e.trackAmplitude == 0) continue;
    const int64_t first = e.position / IndexRecord::kSamples - 2 * q;
    series.points = StoredPoints(*track, first, q, e.position - int64_t{q} * kSampleRate,
                                 double(e.queryAmplitude) / double(e.trackAmplitude));
  }

  const int64_t advanced = in.captureStart - previous.captureStart;
  if (!entries.empty() || previous.track < 0 || advanced < 0 || advanced > kPreviousHitReach) return picture;
  picture.previous.visible = true;
  const TrackIndex* track = Track(in.index, previous.track);
  if (!track || q < 1 || previous.trackAmplitude == 0) return picture;
  // The track has played on by `advanced` samples since the hit: where its key
  // points would lie in this query if the sound were still that track.
  const int64_t shift = advanced + previous.queryStartInTrack;
  const int64_t first = shift >= 0 ? shift / IndexRecord::kSamples : -((-shift + IndexRecord::kSamples - 1) / IndexRecord::kSamples);
  picture.previous.points = StoredPoints(*track, first, q, shift,
                                         double(previous.queryAmplitude) / double(previous.trackAmplitude));
  return picture;
}

}  // namespace melo
