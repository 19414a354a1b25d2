#pragma once

#include <array>
#include <atomic>
#include <climits>
#include <cstdint>
#include <mutex>
#include <vector>

namespace melo {

// One candidate alignment of the query in a track.
struct ResultEntry {
  int32_t track = -1;
  int64_t position = 0;          // track sample at the end of the query (48000 Hz)
  int32_t trackAmplitude = 0;    // the matching record's amplitude
  int32_t queryAmplitude = 0;    // the matching key point's amplitude
  int32_t maxBandDifference = 0; // D
  int32_t envelope = 0;          // the envelope check's result
  int32_t score = 0;             // V, lower is better
  int32_t insideFrames = 0;      // c
  int32_t frame = 0;             // i
  int32_t keypoint = 0;          // query key point number
};

// The ten best candidates of a search, best (lowest score) first, shared by all
// scanning threads. Within one second of the same track only the better candidate
// stays; equal scores keep the older entry first.
class SearchResults {
 public:
  static constexpr int32_t kCapacity = 10;
  static constexpr int64_t kSameHitSamples = 48000;

  void Clear();
  // The place (0..9) the candidate took, or -1 when refused.
  int32_t Offer(const ResultEntry& entry);

  int32_t Count() const;
  std::vector<ResultEntry> Ordered() const;  // best first
  int32_t Owner() const { return owner_.load(); }  // track of the current inserter, -1 when free

 private:
  int32_t Refused() const;  // score that a full list refuses; INT_MAX while not full
  void RemoveAt(int32_t place);

  mutable std::mutex lock_;
  std::atomic<int32_t> owner_{-1};
  std::atomic<int32_t> refusalScore_{INT_MAX};
  int32_t count_ = 0;
  std::array<ResultEntry, kCapacity> slots_{};
  std::array<bool, kCapacity> used_{};
  std::array<int32_t, kCapacity> order_{};
};

}  // namespace melo
