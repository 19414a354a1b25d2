#include "searcher/engine/landmark_index.h"

#include <algorithm>
#include <array>
#include <utility>

namespace melo {

namespace {

using landmarks::kHashBits;
using landmarks::kHashCount;

constexpr int64_t kShardFrames = (int64_t{1} << 32) - 2 * LandmarkIndex::kMaxQueryFrames;

// A shard is sorted by hash in two steps: each landmark goes to the bin of its
// hash's high bits, then each bin, a few hundred kilobytes that stay in the cache,
// is sorted by the low bits by counting.
constexpr int32_t kLowBits = (kHashBits + 1) / 2;
constexpr uint32_t kBins = kHashCount >> kLowBits;
constexpr uint32_t kLowMask = (1u << kLowBits) - 1;

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
  std::vector<uint32_t> binSizes;
};

LandmarkIndex::LandmarkIndex() = default;
LandmarkIndex::~LandmarkIndex() = default;

LandmarkIndex::Builder::Builder(size_t shardLandmarks, int64_t expectedLandmarks)
    : shardLandmarks_(std::max<size_t>(shardLandmarks, 1)),
      expected_(std::max<int64_t>(expectedLandmarks, 0)),
      index_(std::make_unique<LandmarkIndex>()) {
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

void LandmarkIndex::Builder::AddTrack(int32_t track, std::span<const landmarks::Landmark> landmarks) {
  if (landmarks.empty()) return;
  LandmarkIndex& index = *index_;
  const int64_t start = nextFrame_ + kTrackGap;
  // The track takes the line up to its last landmark, not the frame count its row
  // states: a damaged count must not open a shard of its own for every track.
  const int64_t span = int64_t{landmarks.back().frame} + 1;
  if (index.shards_.empty() || start + span - index.shards_.back()->firstFrame >= kShardFrames ||
      (!pending_.empty() && pending_.size() + landmarks.size() > shardLandmarks_)) {
    Give();
    index.shards_.push_back(std::make_unique<Shard>());
    index.shards_.back()->firstFrame = nextFrame_;
    OpenShard();
  }
  expected_ -= static_cast<int64_t>(landmarks.size());
  const int64_t local = start - index.shards_.back()->firstFrame;
  for (const landmarks::Landmark& l : landmarks) {
    pending_.push_back(uint64_t{l.hash} << 32 | static_cast<uint64_t>(local + l.frame));
    ++binSizes_[l.hash >> kLowBits];
  }
  index.trackIds_.push_back(track);
  index.trackStarts_.push_back(start);
  index.trackLandmarks_.push_back(static_cast<int32_t>(landmarks.size()));
  index.landmarkCount_ += static_cast<int64_t>(landmarks.size());
  nextFrame_ = start + span;
}

// The buffer of a shard already sorted is used again: its memory is in place,
// where new memory costs the system a page fault for every 4 KB. A new buffer is
// taken at the size the shard will reach, as far as that is known.
void LandmarkIndex::Builder::OpenShard() {
  {
    std::lock_guard guard(lock_);
    pending_ = std::move(spare_);
    spare_ = {};
  }
  pending_.clear();
  pending_.reserve(static_cast<size_t>(std::clamp<int64_t>(expected_, 0, static_cast<int64_t>(shardLandmarks_))));
  binSizes_.assign(kBins, 0);
}

void LandmarkIndex::Builder::Give() {
  if (index_->shards_.empty()) return;
  {
    std::lock_guard guard(lock_);
    jobs_.push_back({index_->shards_.back().get(), std::move(pending_), std::move(binSizes_)});
  }
  pending_ = {};
  wake_.notify_one();
}

// Sorts each given shard: its landmarks to the bins of their hashes' high bits,
// then each bin by counting its low bits. The landmarks arrived in ascending frame
// order, and both steps keep that order within each hash.
void LandmarkIndex::Builder::Sort() {
  std::vector<uint64_t> binned;
  for (;;) {
    Job job;
    {
      std::unique_lock guard(lock_);
      wake_.wait(guard, [this] { return closing_ || !jobs_.empty(); });
      if (jobs_.empty()) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    std::vector<uint64_t>& pending = job.pending;
    const size_t count = pending.size();
    std::vector<uint32_t> binStart(kBins + 1, 0);
    for (uint32_t b = 0; b < kBins; ++b) binStart[b + 1] = binStart[b] + job.binSizes[b];
    binned.resize(pending.size());
    {
      std::vector<uint32_t> next(binStart.begin(), binStart.end() - 1);
      for (const uint64_t p : pending) binned[next[p >> (32 + kLowBits)]++] = p;
    }
    {
      // Binned, the buffer can serve the next shard at once.
      std::lock_guard guard(lock_);
      if (spare_.capacity() < pending.capacity()) spare_ = std::move(pending);
    }

    Shard& shard = *job.shard;
    shard.entries.reset(new uint32_t[count]);
    shard.entryCount = count;
    shard.bucketStart.resize(kHashCount + 1);
    std::array<uint32_t, kLowMask + 1> next{};
    for (uint32_t b = 0; b < kBins; ++b) {
      const uint64_t* begin = binned.data() + binStart[b];
      const uint64_t* end = binned.data() + binStart[b + 1];
      next.fill(0);
      for (const uint64_t* p = begin; p < end; ++p) ++next[(*p >> 32) & kLowMask];
      uint32_t* start = shard.bucketStart.data() + (b << kLowBits);
      uint32_t at = binStart[b];
      for (uint32_t low = 0; low <= kLowMask; ++low) {
        start[low] = at;
        at += std::exchange(next[low], start[low]);
      }
      for (const uint64_t* p = begin; p < end; ++p) shard.entries[next[(*p >> 32) & kLowMask]++] = static_cast<uint32_t>(*p);
    }
    shard.bucketStart[kHashCount] = static_cast<uint32_t>(count);
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
    bytes += static_cast<int64_t>((s->bucketStart.capacity() + s->entryCount) * sizeof(uint32_t));
  }
  return bytes + static_cast<int64_t>(trackIds_.capacity() * (2 * sizeof(int32_t) + sizeof(int64_t)));
}

std::vector<LandmarkCandidate> LandmarkIndex::Candidates(std::span<const landmarks::Landmark> query,
                                                         int32_t minimumVotes, int32_t limit, int32_t first,
                                                         int32_t step, LandmarkLookupStats* stats,
                                                         LandmarkVotes* buffers) const {
  std::vector<LandmarkCandidate> best;
  LandmarkVotes own;
  LandmarkVotes& held = buffers ? *buffers : own;
  std::vector<uint32_t>& votes = held.votes;
  std::vector<uint32_t>& scratch = held.scratch;
  if (limit <= 0) return best;
  LandmarkLookupStats counted;
  minimumVotes = std::max(minimumVotes, 1);
  for (int32_t s = first; s < ShardCount(); s += std::max(step, 1)) {
    const Shard& shard = *shards_[s];
    votes.clear();
    for (const landmarks::Landmark& q : query) {
      if (q.frame < 0 || q.frame >= kMaxQueryFrames) continue;  // its votes would fall outside the gap
      const uint32_t* entry = shard.entries.get() + shard.bucketStart[q.hash];
      const uint32_t* end = shard.entries.get() + shard.bucketStart[q.hash + 1];
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
      ++counted.offsetsWithVotes;
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
  if (limit <= 0) return best;
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
    const uint32_t* begin = s.entries.get() + s.bucketStart[query[i].hash];
    const uint32_t* end = s.entries.get() + s.bucketStart[query[i].hash + 1];
    const uint32_t* at = std::lower_bound(begin, end, static_cast<uint32_t>(std::max<int64_t>(0, wanted - 1)));
    if (at != end && *at <= wanted + 1) matching.push_back(static_cast<int32_t>(i));
  }
  return matching;
}

}  // namespace melo
