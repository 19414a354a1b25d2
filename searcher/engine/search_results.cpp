#include "searcher/engine/search_results.h"

#include <cstdlib>

namespace melo {

void SearchResults::Clear() {
  std::lock_guard guard(lock_);
  count_ = 0;
  used_.fill(false);
  refusalScore_.store(INT_MAX);
}

int32_t SearchResults::Refused() const {
  return count_ == kCapacity ? slots_[order_[count_ - 1]].score : INT_MAX;
}

void SearchResults::RemoveAt(int32_t place) {
  used_[order_[place]] = false;
  for (int32_t p = place; p + 1 < count_; ++p) order_[p] = order_[p + 1];
  --count_;
}

int32_t SearchResults::Offer(const ResultEntry& entry) {
  // A full list refuses anything not better than its worst entry; checking before
  // the lock keeps the threads from queueing for the many hopeless candidates.
  if (entry.score >= refusalScore_.load(std::memory_order_relaxed)) return -1;
  std::lock_guard guard(lock_);
  owner_.store(entry.track);
  struct Release {
    std::atomic<int32_t>& owner;
    ~Release() { owner.store(-1); }
  } release{owner_};

  if (entry.score >= Refused()) return -1;
  for (int32_t p = 0; p < count_; ++p) {
    const ResultEntry& other = slots_[order_[p]];
    if (other.track != entry.track || std::llabs(other.position - entry.position) >= kSameHitSamples) continue;
    if (other.score <= entry.score) return -1;
    RemoveAt(p);
    break;
  }

  int32_t place = count_;
  for (int32_t p = 0; p < count_; ++p) {
    if (slots_[order_[p]].score > entry.score) {
      place = p;
      break;
    }
  }
  if (count_ == kCapacity) RemoveAt(count_ - 1);  // the worst falls out
  int32_t slot = 0;
  while (used_[slot]) ++slot;
  for (int32_t p = count_; p > place; --p) order_[p] = order_[p - 1];
  slots_[slot] = entry;
  used_[slot] = true;
  order_[place] = slot;
  ++count_;
  refusalScore_.store(Refused(), std::memory_order_relaxed);
  return place;
}

int32_t SearchResults::Count() const {
  std::lock_guard guard(lock_);
  return count_;
}

std::vector<ResultEntry> SearchResults::Ordered() const {
  std::lock_guard guard(lock_);
  std::vector<ResultEntry> out;
  for (int32_t p = 0; p < count_; ++p) out.push_back(slots_[order_[p]]);
  return out;
}

}  // namespace melo
