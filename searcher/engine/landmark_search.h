#pragma once

#include "searcher/engine/landmark_index.h"
#include "searcher/engine/matcher.h"
#include "searcher/engine/search_parameters.h"
#include "searcher/engine/search_results.h"

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace melo {

class AudioQuery;

// One worker's look-up: the best offsets in its share of the shards.
struct LandmarkScan {
  std::vector<LandmarkCandidate> candidates;
  LandmarkLookupStats stats;
};

// The robust search of one query: the workers look the query's landmarks up in
// their shares of the index, then their candidates are merged and verified.
//
// Verification counts, at a candidate's offset, the query landmarks whose stored
// twin is there; each counts 1 / (how often its hash recurs in the query), so a
// note struck over and over in both tracks, which agrees at many offsets, weighs
// as one. An answer needs landmarkScore tenths of that score; over music the
// index does not hold, scores reach 6 in one query of 500.
//
// The counters a search reports mean here: framesExamined the look-ups,
// comparisons the stored landmarks met, coarseMatches the offsets more than one
// landmark agrees on, windowsPassed the offsets with landmarkVotes or more,
// offered those verified (the best offset of each of the tracks with the most
// votes), accepted the answers.
class LandmarkMatcher {
 public:
  static constexpr int32_t kCandidates = SearchResults::kCapacity;

  // `index` may be null (a database without landmarks): then nothing is found.
  LandmarkMatcher(const AudioQuery& query, const SearchParameters& params, const LandmarkIndex* index);

  // Shards worker, worker + workers, ..., sorting the votes in the worker's buffers.
  LandmarkScan Scan(int32_t worker, int32_t workers, LandmarkVotes* buffers = nullptr) const;

  // The answers, best first, as result entries: position is where the query ends
  // in the track (48 kHz samples), score the verified score in tenths (higher is
  // better), maxBandDifference the offset's votes, insideFrames and envelope the
  // landmarks verified there, frame the half-second record the position lies in.
  std::vector<ResultEntry> Answers(std::span<const LandmarkScan> scans, ScanCounters& counters) const;

  // The verified score of one candidate, in tenths.
  int32_t Score(const LandmarkCandidate& candidate, int32_t* matched = nullptr) const;

 private:
  const AudioQuery& query_;
  const SearchParameters params_;
  const LandmarkIndex* index_;
  std::unordered_map<uint32_t, int32_t> recurrence_;  // how often each hash is looked up
};

}  // namespace melo
