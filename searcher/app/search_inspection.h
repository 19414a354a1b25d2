#pragma once

#include "searcher/engine/audio_query.h"
#include "searcher/engine/matcher.h"
#include "searcher/engine/search_parameters.h"
#include "searcher/engine/search_results.h"

#include <QList>
#include <QStringList>
#include <memory>
#include <vector>

namespace melo {

struct SearchIndex;
struct SearchOutcome;

// What the debug windows work out about one track and a query, apart from the
// searches the program runs: the query is a copy of their own and the results go
// to a list of their own, so they may run while a search does.
class SearchInspection {
 public:
  explicit SearchInspection(const SearchIndex& index);

  // Takes a copy of a query's samples; false when they give too few key points.
  bool SetQuery(const std::vector<int16_t>& samples, QueryAnalysis analysis);
  bool HasQuery() const { return hasQuery_; }
  const AudioQuery& Query() const { return *query_; }
  // Its landmarks, by the landmark analysis whatever the query's own.
  const landmarks::LandmarkSet& QueryLandmarks();
  bool ValidTrack(int32_t track) const;
  int32_t TrackFrames(int32_t track) const;

  // The track's frames whose peak falls inside the query when the query begins at
  // track sample `start`, against the query at the same place: "Кадр", "Позиция
  // в треке", "Позиция в запросе", "Амплитуда трека", "Амплитуда запроса",
  // "Полосы трека", "Полосы запроса", "Разница (сумма/макс.)".
  QList<QStringList> FrameRows(int32_t track, int64_t start);
  // The query's key points against the track's frame at the same place: "Точка",
  // "Позиция", "Амплитуда", "Полосы запроса", "Кадр", "Полосы трека", "Разница
  // (сумма/макс.)".
  QList<QStringList> KeypointRows(int32_t track, int64_t start) const;

  // The whole track scanned as a search would, with the given tolerances.
  struct TrackSearch {
    std::vector<ResultEntry> entries;  // best first
    ScanCounters counters;
    double ms = 0;
  };
  TrackSearch SearchTrack(int32_t track, const SearchParameters& params);

  // The time of a fresh query's full scan of the track and of a tracking scan
  // around `second` (as the next search would make after a hit there).
  struct ScanTiming {
    double fullMs = 0;
    double trackingMs = 0;
    ScanCounters counters;
    int32_t found = 0;
  };
  ScanTiming TimeScans(int32_t track, int32_t second, const SearchParameters& params);

 private:
  TrackSearch ScanTrack(AudioQuery& query, int32_t track, const SearchParameters& params) const;

  const SearchIndex& index_;
  std::vector<int16_t> samples_;
  std::unique_ptr<AudioQuery> query_;
  std::unique_ptr<AudioQuery> landmarked_;  // made when first asked for
  bool hasQuery_ = false;
};

// One row of the profiling window: time stamp, the search, the tracking scans,
// the first worker to finish and each worker, in milliseconds.
QStringList ProfileRow(const SearchOutcome& outcome);

}  // namespace melo
