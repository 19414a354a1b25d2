#include "searcher/engine/search_threads.h"

#include "searcher/engine/search_index.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace melo {

TSearchThread::TSearchThread(SearchRun& run, int32_t start, ScanCounters& counters) : run_(run), start_(start) {
  scratch_.counters = &counters;
  scratch_.diagnostics = run.diagnostics;
}

TSearchThread::~TSearchThread() { WaitFor(); }

void TSearchThread::Execute() {
  if (run_.landmarks) {
    ScanLandmarks();
  } else if (run_.matcher->Filtered()) {
    ScanFiltered();
  } else {
    ScanFully();
  }
  elapsedMs_ = run_.started.nsecsElapsed() / 1e6;
}

void TSearchThread::ScanFully() {
  const SearchIndex& index = *run_.index;
  for (int32_t t = start_; t < index.TrackCount(); t += run_.workers) {
    if (Terminated()) break;
    if (index.tracks[t].loaded) {
      run_.matcher->FullScan(t, index.tracks[t], *run_.results, scratch_);
      run_.tracksScanned.fetch_add(1, std::memory_order_relaxed);
    }
    run_.lastTrackHandedOut.store(t, std::memory_order_relaxed);
  }
}

void TSearchThread::ScanLandmarks() {
  if (Terminated()) return;
  const auto w = static_cast<size_t>(start_);
  run_.landmarkScans[w] = run_.landmarks->Scan(start_, run_.workers, &(*run_.landmarkVotes)[w]);
}

void TSearchThread::ScanFiltered() {
  const QueryMatcher& matcher = *run_.matcher;
  std::vector<TrackedMatch>& mine = run_.gathered[static_cast<size_t>(start_)];
  for (int32_t k = run_.nextKeypoint++; k < matcher.KeypointCount() && !Terminated(); k = run_.nextKeypoint++) {
    matcher.GatherCoarseMatches(k, mine);
  }
  // Every worker arrives, a stopped one too: the others wait for it here.
  run_.allGathered.arrive_and_wait();

  const std::vector<TrackedMatch> matches = OwnMatches();
  const SearchIndex& index = *run_.index;
  auto next = matches.begin();
  // Tracks without matches take nanoseconds here: the shared progress counters
  // are written now and then, not per track, or the workers would fight over
  // their cache line.
  constexpr int32_t kProgressEvery = 1024;
  int32_t scanned = 0;
  int32_t t = start_;
  for (int32_t i = 1; t < index.TrackCount(); t += run_.workers, ++i) {
    if (Terminated()) break;
    const auto end = std::find_if(next, matches.end(), [t](const TrackedMatch& m) { return m.track != t; });
    if (index.tracks[t].loaded) {
      matcher.FilteredScan(t, index.tracks[t], {next, end}, *run_.results, scratch_);
      ++scanned;
    }
    next = end;
    if (i % kProgressEvery == 0) {
      run_.tracksScanned.fetch_add(std::exchange(scanned, 0), std::memory_order_relaxed);
      run_.lastTrackHandedOut.store(t, std::memory_order_relaxed);
    }
  }
  run_.tracksScanned.fetch_add(scanned, std::memory_order_relaxed);
  if (t - run_.workers >= start_) run_.lastTrackHandedOut.store(t - run_.workers, std::memory_order_relaxed);
}

std::vector<TrackedMatch> TSearchThread::OwnMatches() const {
  std::vector<TrackedMatch> own;
  for (const auto& gathered : run_.gathered) {
    for (const TrackedMatch& m : gathered) {
      if (m.track % run_.workers == start_) own.push_back(m);
    }
  }
  std::sort(own.begin(), own.end());
  return own;
}

TSearchControlThread::TSearchControlThread(SearchEngine& engine, SearchRun& run,
                                           std::vector<std::unique_ptr<TSearchThread>>& workers, HitMemory lastHit,
                                           HitMemory hitBefore, int32_t querySeconds, SearchOutcome outcome)
    : engine_(engine),
      run_(run),
      workers_(workers),
      lastHit_(lastHit),
      hitBefore_(hitBefore),
      querySeconds_(querySeconds),
      outcome_(std::move(outcome)) {
  scratch_.counters = &unused_;
  scratch_.diagnostics = run.diagnostics;
}

TSearchControlThread::~TSearchControlThread() { WaitFor(); }

void TSearchControlThread::Track(const HitMemory& hit) {
  const SearchIndex& index = *run_.index;
  if (hit.track < 0 || hit.track >= index.TrackCount() || !index.tracks[hit.track].loaded) return;
  run_.matcher->TrackingScan(hit.track, index.tracks[hit.track], *run_.results, hit.frame - 2 * querySeconds_,
                             hit.frame + 20, scratch_);
}

void TSearchControlThread::Execute() {
  QElapsedTimer tracking;
  tracking.start();
  if (!run_.landmarks) {
    Track(lastHit_);
    Track(hitBefore_);
  }
  outcome_.trackingMs = tracking.nsecsElapsed() / 1e6;
  // Only now: the tracking scans' candidates are always offered before the
  // workers', so that with one worker a search's results and counters never
  // depend on timing.
  for (const auto& w : workers_) w->Start();

  for (;;) {
    int32_t finished = 0;
    for (const auto& w : workers_) finished += w->Finished() ? 1 : 0;
    if (finished >= 1 && outcome_.firstWorkerMs == 0) outcome_.firstWorkerMs = run_.started.nsecsElapsed() / 1e6;
    if (finished == static_cast<int32_t>(workers_.size())) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (run_.landmarks) {
    run_.landmarkAnswers = run_.landmarks->Answers(run_.landmarkScans, run_.landmarkCounters);
    if (run_.index->landmarks) run_.tracksScanned.store(run_.index->landmarks->TrackCount());
  }
  outcome_.searchMs = run_.started.nsecsElapsed() / 1e6;
  for (const auto& w : workers_) outcome_.workerMs.push_back(w->ElapsedMs());
  outcome_.tracksScanned = run_.tracksScanned.load();
  outcome_.lastTrackHandedOut = run_.lastTrackHandedOut.load();
  Synchronize([this] { engine_.Finish(outcome_); });
}

}  // namespace melo
