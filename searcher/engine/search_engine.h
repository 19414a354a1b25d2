#pragma once

#include "searcher/engine/landmark_search.h"
#include "searcher/engine/matcher.h"
#include "searcher/engine/search_parameters.h"
#include "searcher/engine/search_results.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace melo {

class AudioQuery;
struct SearchIndex;
struct SearchRun;
class TSearchControlThread;
class TSearchThread;

// A remembered hit, for the tracking scans of the next search.
struct HitMemory {
  int32_t track = -1;
  int64_t position = -1;
  int32_t frame = -1;
  int32_t keypoint = -1;
};

// Everything one search produced, handed to the main thread when it is over.
struct SearchOutcome {
  QString queryTimeStamp;
  int32_t querySeconds = 0;
  int64_t queryStart = 0;               // where the query began in the capture stream
  std::vector<ResultEntry> entries;     // best first, at most 10
  ScanCounters totals;
  bool confirmed = false;               // the best hit continues the previous one ("OK")
  double searchMs = 0;
  bool filtered = false;                // coarse matches came from the band filter
  bool robust = false;                  // a search of the landmarks (LandmarkMatcher's entries)
  double trackingMs = 0;
  double firstWorkerMs = 0;
  std::vector<double> workerMs;         // when each worker had scanned its share
  int32_t tracksScanned = 0;            // Parameters.RealCount
  int32_t lastTrackHandedOut = -1;
  int32_t breakPoint = 0;
  QString trace1;
  QString trace2;
  HitMemory hitBefore;                  // the tracking memory after this search

  bool Found() const { return !entries.empty(); }
};

// Runs searches: a control thread re-checks the last two hits, then N worker
// threads share the tracks by stride; the control thread waits for them and hands
// the outcome to the main thread (onFinished, through Synchronize). One search at
// a time.
class SearchEngine {
 public:
  SearchEngine(const SearchIndex& index, int32_t workers);
  ~SearchEngine();

  // Starts a search of `query` (which must stay unchanged until it ends). False
  // when a search is still running.
  bool Start(AudioQuery& query, const SearchParameters& params, int64_t queryStart = 0);
  bool Running() const;
  // Waits for the running search, serving its hand-over on the main thread.
  void Wait();

  void ResetTracking();
  const HitMemory& LastHit() const { return lastHit_; }
  const HitMemory& HitBefore() const { return hitBefore_; }
  int32_t Workers() const { return workers_; }

  std::function<void(const SearchOutcome&)> onFinished;

 private:
  friend class TSearchControlThread;
  void Finish(SearchOutcome& outcome);  // main thread

  const SearchIndex& index_;
  const int32_t workers_;
  std::unique_ptr<QueryMatcher> matcher_;
  std::unique_ptr<LandmarkMatcher> landmarks_;
  std::unique_ptr<SearchRun> run_;
  SearchResults results_;
  ScanDiagnostics diagnostics_;
  std::vector<ScanCounters> counters_;
  std::vector<LandmarkVotes> landmarkVotes_;
  std::vector<std::unique_ptr<TSearchThread>> threads_;
  std::unique_ptr<TSearchControlThread> control_;
  HitMemory lastHit_;
  HitMemory hitBefore_;
};

}  // namespace melo
