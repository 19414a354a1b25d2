#include "searcher/engine/landmark_search.h"

#include "fingerprint/index_record.h"
#include "searcher/engine/audio_query.h"

#include <algorithm>

namespace melo {

static_assert(AudioQuery::kMaxLandmarkFrames <= LandmarkIndex::kMaxQueryFrames,
              "every landmark a query looks up must fall within the index's gap between tracks");

LandmarkMatcher::LandmarkMatcher(const AudioQuery& query, const SearchParameters& params, const LandmarkIndex* index)
    : query_(query), params_(params), index_(index) {
  for (const landmarks::Landmark& l : query.LandmarkLookups()) ++recurrence_[l.hash];
}

LandmarkScan LandmarkMatcher::Scan(int32_t worker, int32_t workers, LandmarkVotes* buffers) const {
  LandmarkScan scan;
  if (!index_) return scan;
  scan.candidates = index_->Candidates(query_.LandmarkLookups(), params_.landmarkVotes, kCandidates, worker,
                                       workers, &scan.stats, buffers);
  return scan;
}

int32_t LandmarkMatcher::Score(const LandmarkCandidate& candidate, int32_t* matched) const {
  if (!index_) return 0;
  const auto& lookups = query_.LandmarkLookups();
  const std::vector<int32_t> matching = index_->Matching(lookups, candidate);
  double score = 0;
  for (const int32_t i : matching) score += 1.0 / recurrence_.at(lookups[i].hash);
  if (matched) *matched = static_cast<int32_t>(matching.size());
  return static_cast<int32_t>(score * 10 + 0.5);
}

std::vector<ResultEntry> LandmarkMatcher::Answers(std::span<const LandmarkScan> scans, ScanCounters& counters) const {
  std::vector<std::vector<LandmarkCandidate>> lists;
  LandmarkLookupStats stats;
  for (const LandmarkScan& scan : scans) {
    lists.push_back(scan.candidates);
    stats += scan.stats;
  }
  const std::vector<LandmarkCandidate> candidates = LandmarkIndex::Merge(lists, kCandidates);
  counters.framesExamined += static_cast<int64_t>(query_.LandmarkLookups().size());
  counters.comparisons += stats.entriesVisited;
  counters.coarseMatches += stats.offsetsOverOne;
  counters.windowsPassed += stats.offsetsWithVotes;

  std::vector<ResultEntry> answers;
  for (const LandmarkCandidate& c : candidates) {
    ++counters.offered;
    ResultEntry e;
    e.score = Score(c, &e.insideFrames);
    if (e.score < params_.landmarkScore) continue;
    ++counters.accepted;
    e.track = c.track;
    e.position = int64_t{c.offset} * landmarks::kInputSamplesPerHop + query_.Length();
    e.maxBandDifference = c.votes;
    e.envelope = e.insideFrames;
    e.frame = static_cast<int32_t>(std::max<int64_t>(e.position, 0) / IndexRecord::kSamples);
    answers.push_back(e);
  }
  // Highest score first; equal scores keep the candidates' order.
  std::stable_sort(answers.begin(), answers.end(),
                   [](const ResultEntry& a, const ResultEntry& b) { return a.score > b.score; });
  return answers;
}

}  // namespace melo
