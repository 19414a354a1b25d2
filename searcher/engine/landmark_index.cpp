#include "searcher/engine/landmark_index.h"

#include <algorithm>
#include <array>
#include <utility>

namespace melo {

namespace {

using landmarks::kHashBits;
using landmarks::kHashCount;

constexpr int64_t kShardFrames = (int64_t{1} << 32) - 2 * LandmarkIndex::kMaxQueryFrames;

// Sorts 32-bit values in three stable passes of 11, 11 and 10 bits; a pass whose
// digit is the same in every value is skipped.
void RadixSort(std::vector<uint32_t>& values, std::vector<uint32_t>& scratch) {
  scratch.resize(values.size());
  constexpr std::array<int32_t, 3> kShifts = {0, 11, 22};
  for (const int32_t shift : kShifts) {
    std::array<uint32_t, 2048> count{};
    for (const uint32_t v : values) ++count[(v >> shift) & 2047];
    if (std::find(count.begin(), count.end(), values.size()) != count.end()) continue;
    uint32_t sum = 0;
    for (uint32_t& c : count) sum += std::exchange(c, sum);
    for (const uint32_t v : values) scratch[count[(v >> shift) & 2047]++] = v;
    values.swap(scratch);
  }
}

// More votes first, then the earlier track, then the earlier offset.
bool Better(const LandmarkCandidate& a, const LandmarkCandidate& b) {
  if (a.votes != b.votes) return a.votes > b.votes;
  if (a.track != b.track) return a.track < b.track;
  return a.offset < b.offset;
}

// Keeps `best` in Better order with one candidate per track and at most `limit`.
void Keep(std::vector<LandmarkCandidate>& best, const LandmarkCandidate& candidate, int32_t limit) {
  auto same = std::find_if(best.begin(), best.end(),
                           [&](const LandmarkCandidate& c) { return c.track == candidate.track; });
  if (same != best.end()) {
    if (!Better(candidate, *same)) return;
    best.erase(same);
  } else if (static_cast<int32_t>(best.size()) == limit) {
    if (!Better(candidate, best.back())) return;
    best.pop_back();
  }
  best.insert(std::upper_bound(best.begin(), best.end(), candidate, Better), candidate);
}

}  // namespace

struct LandmarkIndex::Builder::Job {
  Shard* shard;
  std::vector<uint64_t> pending;
};

LandmarkIndex::LandmarkIndex() = default;
LandmarkIndex::~LandmarkIndex() = default;

LandmarkIndex::Builder::Builder(size_t shardLandmarks)
    : shardLandmarks_(std::max<size_t>(shardLandmarks, 1)), index_(std::make_unique<LandmarkIndex>()) {
  sorter_ = std::thread([this] { Sort(); });
}

LandmarkIndex::Builder::~Builder() {
  if (!sorter_.joinable()) return;
  {
    std::lock_guard guard(lock_);
    closing_ = true;
  }
  wake_.notify_one();
  sorter_.join();
}

void LandmarkIndex::Builder::AddTrack(int32_t track, int32_t frames,
                                      std::span<const landmarks::Landmark> landmarks) {
  if (landmarks.empty()) return;
  LandmarkIndex& index = *index_;
  const int64_t start = nextFrame_ + kTrackGap;
  if (index.shards_.empty() || start + frames - index.shards_.back()->firstFrame >= kShardFrames ||
      (!pending_.empty() && pending_.size() + landmarks.size() > shardLandmarks_)) {
    Give();
    index.shards_.push_back(std::make_unique<Shard>());
    index.shards_.back()->firstFrame = nextFrame_;
  }
  const int64_t local = start - index.shards_.back()->firstFrame;
  for (const landmarks::Landmark& l : landmarks) {
    pending_.push_back(uint64_t{l.hash} << 32 | static_cast<uint64_t>(local + l.frame));
  }
  index.trackIds_.push_back(track);
  index.trackStarts_.push_back(start);
  index.trackLandmarks_.push_back(static_cast<int32_t>(landmarks.size()));
  index.landmarkCount_ += static_cast<int64_t>(landmarks.size());
  nextFrame_ = start + frames;
}

void LandmarkIndex::Builder::Give() {
  if (index_->shards_.empty()) return;
  {
    std::lock_guard guard(lock_);
    jobs_.push_back({index_->shards_.back().get(), std::move(pending_)});
  }
  pending_ = {};
  wake_.notify_one();
}

// Sorts each given shard's landmarks by hash in two stable passes (the hash's low
// 10 bits, then its high 9): they arrived in ascending frame order, and both
// passes keep that order within each hash. Two passes of at most 1024 ways keep
// the writes of each pass in few places at a time, where one pass of 2^19 ways
// would scatter them over the whole shard.
void LandmarkIndex::Builder::Sort() {
  constexpr int32_t kLowBits = 10;
  constexpr uint32_t kLowMask = (1u << kLowBits) - 1;
  std::vector<uint64_t> scratch;
  for (;;) {
    Job job;
    {
      std::unique_lock guard(lock_);
      wake_.wait(guard, [this] { return closing_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    Shard& shard = *job.shard;
    const std::vector<uint64_t>& pending = job.pending;
    shard.bucketStart.assign(kHashCount + 1, 0);
    std::array<uint32_t, 1u << kLowBits> low{};
    for (const uint64_t p : pending) {
      ++shard.bucketStart[(p >> 32) + 1];
      ++low[(p >> 32) & kLowMask];
    }
    uint32_t sum = 0;
    for (uint32_t& c : low) sum += std::exchange(c, sum);
    for (uint32_t h = 0; h < kHashCount; ++h) shard.bucketStart[h + 1] += shard.bucketStart[h];
    scratch.resize(pending.size());
    for (const uint64_t p : pending) scratch[low[(p >> 32) & kLowMask]++] = p;
    // The second pass by the high bits: within one hash the elements arrive in
    // their first order, so bucketStart's running positions place them.
    shard.entries.resize(pending.size());
    std::vector<uint32_t> next(shard.bucketStart.begin(), shard.bucketStart.end() - 1);
    for (const uint64_t p : scratch) shard.entries[next[p >> 32]++] = static_cast<uint32_t>(p);
    static_assert(kHashBits - kLowBits <= 10);
  }
}

std::unique_ptr<LandmarkIndex> LandmarkIndex::Builder::Finish() {
  Give();
  {
    std::lock_guard guard(lock_);
    closing_ = true;
  }
  wake_.notify_one();
  sorter_.join();
  return std::move(index_);
}

int32_t LandmarkIndex::PlaceOf(int64_t frame) const {
  const auto it = std::upper_bound(trackStarts_.begin(), trackStarts_.end(), frame + kTrackGap);
  return static_cast<int32_t>(it - trackStarts_.begin()) - 1;
}

int32_t LandmarkIndex::PlaceOfTrack(int32_t track) const {
  const auto it = std::lower_bound(trackIds_.begin(), trackIds_.end(), track);
  return it != trackIds_.end() && *it == track ? static_cast<int32_t>(it - trackIds_.begin()) : -1;
}

int32_t LandmarkIndex::LandmarksOf(int32_t track) const {
  const int32_t place = PlaceOfTrack(track);
  return place < 0 ? 0 : trackLandmarks_[place];
}

int64_t LandmarkIndex::MemoryBytes() const {
  int64_t bytes = 0;
  for (const auto& s : shards_) {
    bytes += static_cast<int64_t>((s->bucketStart.capacity() + s->entries.capacity()) * sizeof(uint32_t));
  }
  return bytes + static_cast<int64_t>(trackIds_.capacity() * (2 * sizeof(int32_t) + sizeof(int64_t)));
}

std::vector<LandmarkCandidate> LandmarkIndex::Candidates(std::span<const landmarks::Landmark> query,
                                                         int32_t minimumVotes, int32_t limit, int32_t first,
                                                         int32_t step, LandmarkLookupStats* stats) const {
  std::vector<LandmarkCandidate> best;
  std::vector<uint32_t> votes;
  std::vector<uint32_t> scratch;
  LandmarkLookupStats counted;
  minimumVotes = std::max(minimumVotes, 1);
  for (int32_t s = first; s < ShardCount(); s += std::max(step, 1)) {
    const Shard& shard = *shards_[s];
    votes.clear();
    for (const landmarks::Landmark& q : query) {
      const uint32_t* entry = shard.entries.data() + shard.bucketStart[q.hash];
      const uint32_t* end = shard.entries.data() + shard.bucketStart[q.hash + 1];
      const uint32_t shift = static_cast<uint32_t>(kMaxQueryFrames - q.frame);
      for (; entry < end; ++entry) votes.push_back(*entry + shift);
    }
    counted.entriesVisited += static_cast<int64_t>(votes.size());
    RadixSort(votes, scratch);

    // Every run of votes within 3 consecutive numbers is one offset, +-1 frame; it
    // is placed at its middle vote.
    size_t j = 0;
    for (size_t i = 0; i < votes.size(); ++i) {
      if (i > 0 && votes[i] == votes[i - 1]) continue;
      while (j < votes.size() && votes[j] <= votes[i] + 2) ++j;
      const auto count = static_cast<int32_t>(j - i);
      if (count > 1) ++counted.offsetsOverOne;
      if (count < minimumVotes) continue;
      if (static_cast<int32_t>(best.size()) == limit && count < best.back().votes) continue;
      const int64_t line = shard.firstFrame + int64_t{votes[i + (j - i) / 2]} - kMaxQueryFrames;
      const int32_t place = PlaceOf(line);
      if (place < 0) continue;
      Keep(best, {trackIds_[place], static_cast<int32_t>(line - trackStarts_[place]), count}, limit);
    }
  }
  if (stats) *stats += counted;
  return best;
}

std::vector<LandmarkCandidate> LandmarkIndex::Merge(std::span<const std::vector<LandmarkCandidate>> lists,
                                                    int32_t limit) {
  std::vector<LandmarkCandidate> best;
  for (const auto& list : lists) {
    for (const LandmarkCandidate& c : list) Keep(best, c, limit);
  }
  return best;
}

std::vector<int32_t> LandmarkIndex::Matching(std::span<const landmarks::Landmark> query,
                                             const LandmarkCandidate& candidate) const {
  std::vector<int32_t> matching;
  const int32_t place = PlaceOfTrack(candidate.track);
  if (place < 0) return matching;
  const int64_t start = trackStarts_[place] + candidate.offset;
  // The shard holding the track: the last that begins before it.
  const auto shard = std::upper_bound(shards_.begin(), shards_.end(), trackStarts_[place],
                                      [](int64_t frame, const auto& s) { return frame < s->firstFrame; }) - 1;
  const Shard& s = **shard;
  for (size_t i = 0; i < query.size(); ++i) {
    const int64_t wanted = start + query[i].frame - s.firstFrame;
    const uint32_t* begin = s.entries.data() + s.bucketStart[query[i].hash];
    const uint32_t* end = s.entries.data() + s.bucketStart[query[i].hash + 1];
    const uint32_t* at = std::lower_bound(begin, end, static_cast<uint32_t>(std::max<int64_t>(0, wanted - 1)));
    if (at != end && *at <= wanted + 1) matching.push_back(static_cast<int32_t>(i));
  }
  return matching;
}

}  // namespace melo
