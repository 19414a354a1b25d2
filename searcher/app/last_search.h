#pragma once

#include "searcher/engine/search_parameters.h"
#include "searcher/engine/search_results.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace melo {

struct SearchReport;

// The last search as the debug windows work on it: a copy of its query's
// samples, which outlives the next search and may be handed to a background job,
// and where the query was found.
struct LastSearch {
  std::shared_ptr<const std::vector<int16_t>> samples;  // null before the first search
  QString timeStamp;
  QueryAnalysis analysis = QueryAnalysis::Plain;  // of the search that was made
  bool robust = false;
  std::vector<ResultEntry> entries;  // best first
  int64_t queryStartInTrack = -1;    // the track sample at the query's first; -1 when nothing was found

  bool HasQuery() const { return samples && !samples->empty(); }
  bool Found() const { return !entries.empty(); }
  int32_t Track() const { return Found() ? entries.front().track : -1; }

  static LastSearch From(const SearchReport& report);
};

}  // namespace melo
