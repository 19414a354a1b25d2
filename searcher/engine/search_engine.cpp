#include "searcher/engine/search_engine.h"

#include "searcher/engine/audio_query.h"
#include "searcher/engine/search_index.h"
#include "searcher/engine/search_threads.h"

#include <algorithm>
#include <cstdlib>

namespace melo {

namespace {

// A hit within 10 s of the previous one in the same track confirms it.
constexpr int64_t kConfirmationSamples = 480000;

}  // namespace

SearchEngine::SearchEngine(const SearchIndex& index, int32_t workers)
    : index_(index),
      workers_(std::max(workers, int32_t{1})),
      counters_(static_cast<size_t>(workers_)),
      landmarkVotes_(static_cast<size_t>(workers_)) {}

SearchEngine::~SearchEngine() {
  // Whoever listened may be gone already: stop the search and keep its result.
  onFinished = nullptr;
  for (const auto& worker : threads_) worker->Terminate();
  Wait();
  control_.reset();
  threads_.clear();
}

bool SearchEngine::Running() const { return control_ && !control_->Finished(); }

void SearchEngine::Wait() {
  if (control_) control_->WaitFor();
}

void SearchEngine::ResetTracking() {
  lastHit_ = {};
  hitBefore_ = {};
}

bool SearchEngine::Start(AudioQuery& query, const SearchParameters& params, int64_t queryStart) {
  if (Running()) return false;
  control_.reset();
  threads_.clear();

  results_.Clear();
  diagnostics_.breakPoint.store(0);
  std::fill(counters_.begin(), counters_.end(), ScanCounters{});
  const bool robust = params.analysis == QueryAnalysis::Landmarks;
  matcher_ = std::make_unique<QueryMatcher>(query, params, robust ? nullptr : index_.filter.get());
  landmarks_ = robust ? std::make_unique<LandmarkMatcher>(query, params, index_.landmarks.get()) : nullptr;
  run_ = std::make_unique<SearchRun>(workers_);
  run_->index = &index_;
  run_->matcher = matcher_.get();
  run_->landmarks = landmarks_.get();
  run_->landmarkScans.resize(static_cast<size_t>(workers_));
  run_->landmarkVotes = &landmarkVotes_;
  run_->results = &results_;
  run_->diagnostics = &diagnostics_;
  run_->started.start();

  // The control thread starts the workers once it has tracked the last hits.
  for (int32_t w = 0; w < workers_; ++w) threads_.push_back(std::make_unique<TSearchThread>(*run_, w, counters_[w]));
  SearchOutcome outcome;
  outcome.queryTimeStamp = query.TimeStamp();
  outcome.querySeconds = params.querySeconds;
  outcome.queryStart = queryStart;
  outcome.filtered = !robust && matcher_->Filtered();
  outcome.robust = robust;
  control_ = std::make_unique<TSearchControlThread>(*this, *run_, threads_, lastHit_, hitBefore_,
                                                    params.querySeconds, std::move(outcome));
  control_->Start();
  return true;
}

void SearchEngine::Finish(SearchOutcome& outcome) {
  outcome.entries = run_->landmarks ? run_->landmarkAnswers : results_.Ordered();
  for (const ScanCounters& c : counters_) outcome.totals += c;
  outcome.totals += run_->landmarkCounters;
  outcome.breakPoint = diagnostics_.breakPoint.load();
  outcome.trace1 = std::exchange(diagnostics_.trace1, QString());
  outcome.trace2 = std::exchange(diagnostics_.trace2, QString());
  if (outcome.Found()) {
    const ResultEntry& best = outcome.entries.front();
    outcome.confirmed = best.track == lastHit_.track && std::llabs(best.position - lastHit_.position) < kConfirmationSamples;
  }
  hitBefore_ = lastHit_;
  lastHit_ = outcome.Found() ? HitMemory{outcome.entries.front().track, outcome.entries.front().position,
                                         outcome.entries.front().frame, outcome.entries.front().keypoint}
                             : HitMemory{};
  outcome.hitBefore = hitBefore_;
  if (onFinished) onFinished(outcome);
}

}  // namespace melo
