#include "searcher/engine/query_history.h"

namespace melo {

void QueryHistory::Add(const QString& timeStamp, const std::vector<int16_t>& samples) {
  slots_[next_] = {timeStamp, samples};
  if (filled_ < kCapacity) ++filled_;
  next_ = next_ + 1 == kCapacity ? 0 : next_ + 1;
}

int32_t QueryHistory::Find(const QString& timeStamp) const {
  for (int32_t slot = 0; slot < filled_; ++slot) {
    if (slots_[slot].timeStamp == timeStamp) return slot;
  }
  return -1;
}

void QueryHistory::Clear() {
  for (Slot& slot : slots_) slot = {};
  filled_ = 0;
  next_ = 0;
}

}  // namespace melo
