#pragma once

#include "base/thread.h"
#include "searcher/engine/landmark_search.h"
#include "searcher/engine/matcher.h"
#include "searcher/engine/search_engine.h"

#include <QElapsedTimer>
#include <atomic>
#include <latch>
#include <vector>

namespace melo {

struct SearchIndex;

// What the threads of one search share.
struct SearchRun {
  explicit SearchRun(int32_t workerCount) : workers(workerCount), gathered(workerCount), allGathered(workerCount) {}

  const SearchIndex* index = nullptr;
  const QueryMatcher* matcher = nullptr;
  // The robust search: the workers look the landmarks up in their shares of the
  // index, each into its own scan, and the control thread verifies them.
  const LandmarkMatcher* landmarks = nullptr;
  std::vector<LandmarkScan> landmarkScans;
  std::vector<LandmarkVotes>* landmarkVotes = nullptr;  // each worker's, kept by the engine
  std::vector<ResultEntry> landmarkAnswers;
  ScanCounters landmarkCounters;
  SearchResults* results = nullptr;
  ScanDiagnostics* diagnostics = nullptr;
  const int32_t workers;
  // A filtered search: the workers take key points in turn and gather their coarse
  // matches, each into its own list, and wait for one another before evaluating.
  std::atomic<int32_t> nextKeypoint{0};
  std::vector<std::vector<TrackedMatch>> gathered;
  std::latch allGathered;
  std::atomic<int32_t> tracksScanned{0};
  std::atomic<int32_t> lastTrackHandedOut{-1};
  QElapsedTimer started;
};

// Scans tracks w, w + N, w + 2N, ... of the index: fully, or from the coarse
// matches the workers gathered together from the band filter; in the robust
// search, looks the landmarks up in shards w, w + N, ...
class TSearchThread : public Thread {
 public:
  TSearchThread(SearchRun& run, int32_t start, ScanCounters& counters);
  ~TSearchThread() override;

  // Milliseconds from the search's start to the end of this worker's share; read
  // once Finished().
  double ElapsedMs() const { return elapsedMs_; }

 protected:
  void Execute() override;

 private:
  void ScanFully();
  void ScanLandmarks();
  void ScanFiltered();
  // This worker's tracks' gathered matches, in a full scan's order.
  std::vector<TrackedMatch> OwnMatches() const;

  SearchRun& run_;
  const int32_t start_;
  ScanScratch scratch_;
  double elapsedMs_ = 0;
};

// Tracks the last two hits (not in the robust search, which looks everywhere at
// once), starts the workers and waits for them, then has the main thread take the
// outcome.
class TSearchControlThread : public Thread {
 public:
  TSearchControlThread(SearchEngine& engine, SearchRun& run, std::vector<std::unique_ptr<TSearchThread>>& workers,
                       HitMemory lastHit, HitMemory hitBefore, int32_t querySeconds, SearchOutcome outcome);
  ~TSearchControlThread() override;

 protected:
  void Execute() override;

 private:
  void Track(const HitMemory& hit);

  SearchEngine& engine_;
  SearchRun& run_;
  std::vector<std::unique_ptr<TSearchThread>>& workers_;
  const HitMemory lastHit_;
  const HitMemory hitBefore_;
  const int32_t querySeconds_;
  SearchOutcome outcome_;
  ScanCounters unused_;
  ScanScratch scratch_;
};

}  // namespace melo
