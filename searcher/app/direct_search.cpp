#include "searcher/app/direct_search.h"

#include "searcher/engine/audio_query.h"
#include "searcher/engine/landmark_search.h"
#include "searcher/engine/search_index.h"

#include <QElapsedTimer>
#include <algorithm>

namespace melo {

DirectSearch SearchDirectly(const SearchIndex& index, AudioQuery& query, const SearchParameters& params,
                            CoarseMatches source, const std::function<bool()>& stop) {
  DirectSearch search;
  SearchParameters untraced = params;
  untraced.debugTrack = -1;  // the program's traces are the program's searches'
  QElapsedTimer clock;
  clock.start();
  if (params.analysis == QueryAnalysis::Landmarks) {
    search.robust = true;
    const LandmarkMatcher matcher(query, untraced, index.landmarks.get());
    const std::vector<LandmarkScan> scans = {matcher.Scan(0, 1)};
    search.entries = matcher.Answers(scans, search.counters);
    search.ms = clock.nsecsElapsed() / 1e6;
    return search;
  }
  const QueryMatcher matcher(query, untraced, source == CoarseMatches::AsTheProgram ? index.filter.get() : nullptr);
  SearchResults results;
  ScanDiagnostics diagnostics;
  ScanScratch scratch;
  scratch.counters = &search.counters;
  scratch.diagnostics = &diagnostics;
  search.filtered = matcher.Filtered();
  std::vector<TrackedMatch> matches;
  if (search.filtered) {
    for (int32_t k = 0; k < matcher.KeypointCount(); ++k) matcher.GatherCoarseMatches(k, matches);
    std::sort(matches.begin(), matches.end());
  }
  auto next = matches.begin();
  for (int32_t t = 0; t < index.TrackCount(); ++t) {
    if (stop && stop()) {
      search.stopped = true;
      break;
    }
    const TrackIndex& track = index.tracks[t];
    if (!search.filtered) {
      if (track.loaded) matcher.FullScan(t, track, results, scratch);
      continue;
    }
    const auto end = std::find_if(next, matches.end(), [t](const TrackedMatch& m) { return m.track != t; });
    if (track.loaded) matcher.FilteredScan(t, track, {next, end}, results, scratch);
    next = end;
  }
  search.entries = results.Ordered();
  search.ms = clock.nsecsElapsed() / 1e6;
  return search;
}

std::vector<LandmarkRanking> RankByLandmarks(const SearchIndex& index, const AudioQuery& query,
                                             const SearchParameters& params) {
  std::vector<LandmarkRanking> ranking;
  if (!index.landmarks || query.LandmarkLookups().empty()) return ranking;
  const LandmarkMatcher matcher(query, params, index.landmarks.get());
  const std::vector<LandmarkCandidate> candidates =
      index.landmarks->Candidates(query.LandmarkLookups(), 1, std::max(index.TrackCount(), 1));
  for (const LandmarkCandidate& c : candidates) {
    LandmarkRanking r{c.track, c.offset, c.votes, 0, 0};
    r.score = matcher.Score(c, &r.matched);
    ranking.push_back(r);
  }
  std::stable_sort(ranking.begin(), ranking.end(),
                   [](const LandmarkRanking& a, const LandmarkRanking& b) { return a.score > b.score; });
  return ranking;
}

}  // namespace melo
