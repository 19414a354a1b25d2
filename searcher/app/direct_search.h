#pragma once

#include "searcher/engine/matcher.h"
#include "searcher/engine/search_parameters.h"
#include "searcher/engine/search_results.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace melo {

class AudioQuery;
struct SearchIndex;

// Where a search made outside the program's engine takes its coarse matches from:
// as the program does (the band filter when it pays off), or from every frame of
// every track.
enum class CoarseMatches { AsTheProgram, EveryFrame };

// One search of a query over the whole index, in the calling thread: the debug
// windows' own, beside the program's searches, with the program's matcher and
// result list. A fresh search: no tracking of earlier hits.
struct DirectSearch {
  std::vector<ResultEntry> entries;  // best first
  ScanCounters counters;
  double ms = 0;
  bool filtered = false;  // the coarse matches came from the band filter
  bool robust = false;    // the landmarks were searched
  bool stopped = false;   // `stop` said so before every track was scanned
};

// The query's analysis must be the one the parameters are for. `stop` is polled
// between tracks.
DirectSearch SearchDirectly(const SearchIndex& index, AudioQuery& query, const SearchParameters& params,
                            CoarseMatches source, const std::function<bool()>& stop = {});

// A track's best alignment with a query's landmarks, whatever the thresholds.
struct LandmarkRanking {
  int32_t track = -1;
  int32_t offset = 0;  // the track's landmark frame at the query's first
  int32_t votes = 0;
  int32_t score = 0;   // verified, in tenths
  int32_t matched = 0; // landmarks verified
};

// Every track with landmarks that shares at least one with the query, at its best
// offset and verified, highest score first: how near each came to an answer.
std::vector<LandmarkRanking> RankByLandmarks(const SearchIndex& index, const AudioQuery& query,
                                             const SearchParameters& params);

}  // namespace melo
