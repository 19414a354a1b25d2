#include "searcher/app/query_analyses.h"

namespace melo {

QueryAnalyses::QueryAnalyses(const std::vector<int16_t>& samples, QueryAnalysis analysis)
    : searched_(std::make_unique<AudioQuery>()) {
  const auto count = static_cast<int32_t>(samples.size());
  searchable_ = searched_->Create(samples.data(), count, analysis);
  if (analysis != QueryAnalysis::Landmarks) {
    landmarked_ = std::make_unique<AudioQuery>();
    landmarked_->Create(samples.data(), count, QueryAnalysis::Landmarks);
  }
}

}  // namespace melo
