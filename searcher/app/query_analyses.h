#pragma once

#include "searcher/engine/audio_query.h"
#include "searcher/engine/search_parameters.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace melo {

// A query's samples analysed twice for the debug windows: as the search's
// analysis chose its key points (and band bytes), and by the landmark analysis,
// whatever the mode, so both fingerprints can be shown. Each is the program's own
// AudioQuery.
class QueryAnalyses {
 public:
  QueryAnalyses(const std::vector<int16_t>& samples, QueryAnalysis analysis);

  // Created with at least 4 key points (or, for the landmark analysis, a landmark).
  bool Searchable() const { return searchable_; }
  AudioQuery& Searched() { return *searched_; }
  const AudioQuery& Searched() const { return *searched_; }
  // The landmark analysis; its peaks and landmarks are empty when it failed.
  const AudioQuery& Landmarked() const { return landmarked_ ? *landmarked_ : *searched_; }

 private:
  std::unique_ptr<AudioQuery> searched_;
  std::unique_ptr<AudioQuery> landmarked_;  // null when the search's analysis is the landmarks'
  bool searchable_ = false;
};

}  // namespace melo
