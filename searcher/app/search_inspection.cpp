#include "searcher/app/search_inspection.h"

#include "fingerprint/index_record.h"
#include "searcher/app/debug_texts.h"
#include "searcher/engine/search_engine.h"
#include "searcher/engine/search_index.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>

namespace melo {

namespace {

int32_t Magnitude(const IndexRecord& r) { return std::abs(int32_t{static_cast<int16_t>(r.amplitude)}); }

// The tolerances as given, without the traces the debug track would write.
SearchParameters Untraced(SearchParameters params) {
  params.debugTrack = -1;
  return params;
}

}  // namespace

SearchInspection::SearchInspection(const SearchIndex& index)
    : index_(index), query_(std::make_unique<AudioQuery>()) {}

bool SearchInspection::SetQuery(const std::vector<int16_t>& samples, QueryAnalysis analysis) {
  samples_ = samples;
  query_ = std::make_unique<AudioQuery>();
  landmarked_.reset();
  hasQuery_ = query_->Create(samples_.data(), static_cast<int32_t>(samples_.size()), analysis);
  return hasQuery_;
}

const landmarks::LandmarkSet& SearchInspection::QueryLandmarks() {
  if (query_->Analysis() == QueryAnalysis::Landmarks) return query_->Landmarks();
  if (!landmarked_) {
    landmarked_ = std::make_unique<AudioQuery>();
    landmarked_->Create(samples_.data(), static_cast<int32_t>(samples_.size()), QueryAnalysis::Landmarks);
  }
  return landmarked_->Landmarks();
}

bool SearchInspection::ValidTrack(int32_t track) const {
  return track >= 0 && track < index_.TrackCount() && index_.tracks[track].loaded;
}

int32_t SearchInspection::TrackFrames(int32_t track) const { return ValidTrack(track) ? index_.tracks[track].count : 0; }

QList<QStringList> SearchInspection::FrameRows(int32_t track, int64_t start) {
  QList<QStringList> rows;
  if (!hasQuery_ || !ValidTrack(track)) return rows;
  const TrackIndex& t = index_.tracks[track];
  const IndexDataView records({t.records.data(), t.records.size()});
  const int64_t length = query_->Length();
  NoiseCorrectedBands analyser;
  const int64_t first = std::max<int64_t>(0, start / IndexRecord::kSamples);
  for (int64_t w = first; w < records.size() && w * IndexRecord::kSamples < start + length; ++w) {
    const auto j = static_cast<int32_t>(w);
    const int64_t p = records.PeakSample(j) - start;
    if (p < 0 || p >= length) continue;
    const IndexRecord r = records[j];
    uint8_t bands[IndexRecord::kBands];
    query_->BandsAt(static_cast<int32_t>(p), analyser, bands);
    rows.append({QString::number(j), QString::number(records.PeakSample(j)), QString::number(p),
                 QString::number(Magnitude(r)), QString::number(std::abs(int32_t{query_->Samples()[p]})),
                 BandText(r.bands.data()), BandText(bands), BandDifferenceText(r.bands.data(), bands)});
  }
  return rows;
}

QList<QStringList> SearchInspection::KeypointRows(int32_t track, int64_t start) const {
  QList<QStringList> rows;
  if (!hasQuery_) return rows;
  const bool known = ValidTrack(track);
  const TrackIndex* t = known ? &index_.tracks[track] : nullptr;
  const IndexDataView records = t ? IndexDataView({t->records.data(), t->records.size()}) : IndexDataView();
  const auto& keypoints = query_->Keypoints();
  for (size_t k = 0; k < keypoints.size(); ++k) {
    const QueryKeypoint& kp = keypoints[k];
    QStringList row = {QString::number(k), QString::number(kp.position), QString::number(kp.amplitude),
                       BandText(kp.bands.data()), QString(), QString(), QString()};
    const int64_t w = (start + kp.position) / IndexRecord::kSamples;
    if (start + kp.position >= 0 && w < records.size()) {
      const IndexRecord r = records[static_cast<int32_t>(w)];
      row[4] = QString::number(w);
      row[5] = BandText(r.bands.data());
      row[6] = BandDifferenceText(r.bands.data(), kp.bands.data());
    }
    rows.append(row);
  }
  return rows;
}

SearchInspection::TrackSearch SearchInspection::ScanTrack(AudioQuery& query, int32_t track,
                                                         const SearchParameters& params) const {
  TrackSearch search;
  SearchResults results;
  ScanDiagnostics diagnostics;
  ScanScratch scratch;
  scratch.counters = &search.counters;
  scratch.diagnostics = &diagnostics;
  const QueryMatcher matcher(query, Untraced(params));
  QElapsedTimer clock;
  clock.start();
  matcher.FullScan(track, index_.tracks[track], results, scratch);
  search.ms = clock.nsecsElapsed() / 1e6;
  search.entries = results.Ordered();
  return search;
}

SearchInspection::TrackSearch SearchInspection::SearchTrack(int32_t track, const SearchParameters& params) {
  if (!hasQuery_ || !ValidTrack(track)) return {};
  // The key points and bytes must come from the analysis the tolerances are for.
  if (params.analysis != query_->Analysis()) SetQuery(samples_, params.analysis);
  if (!hasQuery_) return {};
  return ScanTrack(*query_, track, params);
}

SearchInspection::ScanTiming SearchInspection::TimeScans(int32_t track, int32_t second,
                                                         const SearchParameters& params) {
  ScanTiming timing;
  if (!hasQuery_ || !ValidTrack(track)) return timing;
  // A query of its own for each scan: the band cache of an earlier scan would
  // make the scans look faster than a search's.
  AudioQuery fresh;
  fresh.Create(samples_.data(), static_cast<int32_t>(samples_.size()), params.analysis);
  const TrackSearch full = ScanTrack(fresh, track, params);
  timing.fullMs = full.ms;
  timing.counters = full.counters;
  timing.found = static_cast<int32_t>(full.entries.size());

  AudioQuery again;
  again.Create(samples_.data(), static_cast<int32_t>(samples_.size()), params.analysis);
  const QueryMatcher tracking(again, Untraced(params));
  SearchResults results;
  ScanCounters untouched;
  ScanDiagnostics diagnostics;
  ScanScratch scratch;
  scratch.counters = &untouched;
  scratch.diagnostics = &diagnostics;
  const int32_t frame = 2 * second;
  QElapsedTimer clock;
  clock.start();
  tracking.TrackingScan(track, index_.tracks[track], results, frame - 2 * params.querySeconds, frame + 20, scratch);
  timing.trackingMs = clock.nsecsElapsed() / 1e6;
  return timing;
}

QStringList ProfileRow(const SearchOutcome& outcome) {
  QStringList row = {outcome.queryTimeStamp.trimmed(), MsText(outcome.searchMs), MsText(outcome.trackingMs),
                     MsText(outcome.firstWorkerMs)};
  QStringList workers;
  for (const double ms : outcome.workerMs) workers.append(MsText(ms));
  row.append(workers.join(QStringLiteral("  ")));
  return row;
}

}  // namespace melo
