#include "searcher/engine/landmark_index.h"

#include <algorithm>
#include <array>

namespace melo {

namespace {

using landmarks::kHashCount;

constexpr int64_t kShardFrames = (int64_t{1} << 32) - 2 * LandmarkIndex::kMaxQueryFrames;
constexpr size_t kShardLandmarks = size_t{1} << 27;

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
    for (uint32_t& c : count) {
      const uint32_t n = c;
      c = sum;
      sum += n;
    }
    for (const uint32_t v : values) scratch[count[(v >> shift) & 2047]++] = v;
    values.swap(scratch);
  }
}

}  // namespace

LandmarkIndex::Builder::Builder() : index_(std::make_unique<LandmarkIndex>()) {}
LandmarkIndex::Builder::~Builder() = default;

void LandmarkIndex::Builder::AddTrack(int32_t track, int32_t frames,
                                      std::span<const landmarks::Landmark> landmarks) {
  if (landmarks.empty()) return;
  LandmarkIndex& index = *index_;
  const int64_t shardStart = index.shards_.empty() ? 0 : index.shards_.back().firstFrame;
  if (index.shards_.empty() || nextFrame_ + kTrackGap + frames - shardStart >= kShardFrames ||
      pending_.size() + landmarks.size() > kShardLandmarks) {
    CloseShard();
    index.shards_.push_back({nextFrame_, {}, {}});
  }
  const int64_t start = nextFrame_ + kTrackGap;
  const int64_t local = start - index.shards_.back().firstFrame;
  for (const landmarks::Landmark& l : landmarks) {
    pending_.push_back(uint64_t{l.hash} << 32 | static_cast<uint64_t>(local + l.frame));
  }
  index.trackIds_.push_back(track);
  index.trackStarts_.push_back(start);
  index.trackLandmarks_.push_back(static_cast<int32_t>(landmarks.size()));
  index.landmarkCount_ += static_cast<int64_t>(landmarks.size());
  nextFrame_ = start + frames;
}

// Sorts the shard's landmarks by hash by counting; they arrived in ascending frame
// order, and the counting keeps that order within each hash.
void LandmarkIndex::Builder::CloseShard() {
  if (index_->shards_.empty()) return;
  Shard& shard = index_->shards_.back();
  shard.bucketStart.assign(kHashCount + 1, 0);
  for (const uint64_t p : pending_) ++shard.bucketStart[(p >> 32) + 1];
  for (uint32_t h = 0; h < kHashCount; ++h) shard.bucketStart[h + 1] += shard.bucketStart[h];
  shard.entries.resize(pending_.size());
  std::vector<uint32_t> next(shard.bucketStart.begin(), shard.bucketStart.end() - 1);
  for (const uint64_t p : pending_) shard.entries[next[p >> 32]++] = static_cast<uint32_t>(p);
  pending_.clear();
  pending_.shrink_to_fit();
}

std::unique_ptr<LandmarkIndex> LandmarkIndex::Builder::Finish() {
  CloseShard();
  auto index = std::move(index_);
  index_ = std::make_unique<LandmarkIndex>();
  nextFrame_ = 0;
  return index;
}

int32_t LandmarkIndex::PlaceOf(int64_t frame) const {
  const auto it = std::upper_bound(trackStarts_.begin(), trackStarts_.end(), frame + kTrackGap);
  return static_cast<int32_t>(it - trackStarts_.begin()) - 1;
}

int32_t LandmarkIndex::LandmarksOf(int32_t track) const {
  const auto it = std::lower_bound(trackIds_.begin(), trackIds_.end(), track);
  return it != trackIds_.end() && *it == track ? trackLandmarks_[it - trackIds_.begin()] : 0;
}

std::vector<int32_t> LandmarkIndex::Matching(std::span<const landmarks::Landmark> query,
                                             const LandmarkCandidate& candidate) const {
  std::vector<int32_t> matching;
  const auto it = std::lower_bound(trackIds_.begin(), trackIds_.end(), candidate.track);
  if (it == trackIds_.end() || *it != candidate.track) return matching;
  const int64_t start = trackStarts_[it - trackIds_.begin()] + candidate.offset;
  const auto shard = std::upper_bound(shards_.begin(), shards_.end(), start,
                                      [](int64_t frame, const Shard& s) { return frame < s.firstFrame; }) - 1;
  for (size_t i = 0; i < query.size(); ++i) {
    const int64_t wanted = start + query[i].frame - shard->firstFrame;
    const uint32_t* begin = shard->entries.data() + shard->bucketStart[query[i].hash];
    const uint32_t* end = shard->entries.data() + shard->bucketStart[query[i].hash + 1];
    const uint32_t* at = std::lower_bound(begin, end, static_cast<uint32_t>(std::max<int64_t>(0, wanted - 1)));
    if (at != end && *at <= wanted + 1) matching.push_back(static_cast<int32_t>(i));
  }
  return matching;
}

int64_t LandmarkIndex::HashCount(uint32_t hash) const {
  int64_t n = 0;
  for (const Shard& s : shards_) n += s.bucketStart[hash + 1] - s.bucketStart[hash];
  return n;
}

int64_t LandmarkIndex::MemoryBytes() const {
  int64_t bytes = 0;
  for (const Shard& s : shards_) {
    bytes += static_cast<int64_t>((s.bucketStart.capacity() + s.entries.capacity()) * sizeof(uint32_t));
  }
  return bytes + static_cast<int64_t>(trackIds_.capacity() * (sizeof(int32_t) * 2 + sizeof(int64_t)));
}

std::vector<LandmarkCandidate> LandmarkIndex::Candidates(std::span<const landmarks::Landmark> query,
                                                         int32_t minimumVotes, int32_t limit, int32_t perTrack,
                                                         LandmarkLookupStats* stats) const {
  std::vector<LandmarkCandidate> best;
  std::vector<uint32_t> votes;
  std::vector<uint32_t> scratch;
  LandmarkLookupStats counted;
  counted.queryLandmarks = static_cast<int32_t>(query.size());
  for (const Shard& shard : shards_) {
    votes.clear();
    for (const landmarks::Landmark& q : query) {
      const uint32_t* entry = shard.entries.data() + shard.bucketStart[q.hash];
      const uint32_t* end = shard.entries.data() + shard.bucketStart[q.hash + 1];
      const uint32_t shift = static_cast<uint32_t>(kMaxQueryFrames - q.frame);
      for (; entry < end; ++entry) votes.push_back(*entry + shift);
    }
    counted.entriesVisited += static_cast<int64_t>(votes.size());
    RadixSort(votes, scratch);

    // Every run of votes within 3 consecutive numbers is one offset, +-1 frame.
    size_t j = 0;
    for (size_t i = 0; i < votes.size(); ++i) {
      if (i > 0 && votes[i] == votes[i - 1]) continue;
      while (j < votes.size() && votes[j] <= votes[i] + 2) ++j;
      const int32_t count = static_cast<int32_t>(j - i);
      if (count > 1) ++counted.offsetsOverOne;
      if (count < minimumVotes) continue;
      if (static_cast<int32_t>(best.size()) == limit && count <= best.back().votes) continue;
      const int64_t line = shard.firstFrame + int64_t{votes[i + (j - i) / 2]} - kMaxQueryFrames;
      const int32_t place = PlaceOf(line);
      if (place < 0) continue;
      const LandmarkCandidate candidate{trackIds_[place], static_cast<int32_t>(line - trackStarts_[place]), count};
      // A nearby offset of the same track is the same alignment: the better one stays.
      auto same = std::find_if(best.begin(), best.end(), [&](const LandmarkCandidate& c) {
        return c.track == candidate.track && std::abs(c.offset - candidate.offset) < kDistinctOffsets;
      });
      if (same != best.end()) {
        if (same->votes >= count) continue;
        best.erase(same);
      } else {
        const auto inTrack = std::count_if(best.begin(), best.end(),
                                           [&](const LandmarkCandidate& c) { return c.track == candidate.track; });
        if (inTrack >= perTrack) {
          // The track's weakest offset gives way, or the new one is not kept.
          auto weakest = std::find_if(best.rbegin(), best.rend(),
                                      [&](const LandmarkCandidate& c) { return c.track == candidate.track; });
          if (weakest->votes >= count) continue;
          best.erase(std::next(weakest).base());
        } else if (static_cast<int32_t>(best.size()) == limit) {
          best.pop_back();
        }
      }
      best.insert(std::upper_bound(best.begin(), best.end(), candidate,
                                   [](const LandmarkCandidate& a, const LandmarkCandidate& b) {
                                     return a.votes > b.votes;
                                   }),
                  candidate);
    }
  }
  if (stats) *stats = counted;
  return best;
}

}  // namespace melo
