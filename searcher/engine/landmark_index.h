#pragma once

#include "landmarks/peak_pairs.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace melo {

// A track and offset that the landmarks of a query agree on.
struct LandmarkCandidate {
  int32_t track = -1;
  int32_t offset = 0;  // the track's frame at the query's frame 0
  int32_t votes = 0;   // query landmarks whose stored twin lies at that offset, +-1 frame

  friend bool operator==(const LandmarkCandidate&, const LandmarkCandidate&) = default;
};

// What look-ups did, for the counters a search reports.
struct LandmarkLookupStats {
  int64_t entriesVisited = 0;   // stored landmarks sharing a hash with the query's
  int64_t offsetsOverOne = 0;   // offsets at which more than one landmark agrees
  int64_t offsetsWithVotes = 0; // offsets with the minimum of votes or more

  LandmarkLookupStats& operator+=(const LandmarkLookupStats& o) {
    entriesVisited += o.entriesVisited;
    offsetsOverOne += o.offsetsOverOne;
    offsetsWithVotes += o.offsetsWithVotes;
    return *this;
  }
};

// The buffers a look-up sorts its votes in. A caller that looks up again and again
// keeps them, so that a search does not take fresh memory for its millions of
// votes every time (and pay the page faults of filling it).
struct LandmarkVotes {
  std::vector<uint32_t> votes;
  std::vector<uint32_t> scratch;
};

// The landmarks of every loaded track, inverted: for each hash, the frames at which
// a track holds it.
//
// Every track's frames are numbered on one line, one track after the other with a
// gap of kTrackGap frames, so a stored landmark is a single number, and a query
// landmark that meets it votes for one number too: stored frame minus query frame.
// All votes of one track at one offset fall on the same number, whatever the track.
// The line is cut into shards of at most 2^26 landmarks (about 1,300 hours) and
// under 2^32 frames; a shard keeps its hashes' entries as 32-bit frames counted
// from its start, ascending within each hash: 4 bytes a landmark and 16 MB of
// bucket starts a shard. Shards are searched independently, so the workers of a search share them.
class LandmarkIndex {
 public:
  static constexpr int32_t kMaxQueryFrames = 1024;  // 16 s
  // Longer than any query, and by the +-1 frame a vote run spans either side, so
  // that no run holds votes of two neighbouring tracks.
  static constexpr int32_t kTrackGap = kMaxQueryFrames + 2;
  static constexpr size_t kShardLandmarks = size_t{1} << 26;

  // Adds tracks as a load reads them; a thread of its own sorts each shard as soon
  // as it is full, so only the last one is left when the last track is in.
  class Builder {
   public:
    // expectedLandmarks, when known, lets each shard's buffer be taken at its size
    // once rather than grown while tracks arrive.
    explicit Builder(size_t shardLandmarks = kShardLandmarks, int64_t expectedLandmarks = 0);
    ~Builder();
    Builder(const Builder&) = delete;
    Builder& operator=(const Builder&) = delete;

    // Tracks in ascending order, each with its landmarks in frame order; a track
    // without landmarks may be left out.
    void AddTrack(int32_t track, std::span<const landmarks::Landmark> landmarks);
    // Once, after the last track.
    std::unique_ptr<LandmarkIndex> Finish();

   private:
    struct Job;
    void Give();
    void Sort();  // the sorting thread

    void OpenShard();

    const size_t shardLandmarks_;
    int64_t expected_;  // landmarks still to come, as far as known
    std::unique_ptr<LandmarkIndex> index_;
    std::vector<uint64_t> pending_;  // the open shard's hash << 32 | frame from its start
    std::vector<uint32_t> binSizes_; // its landmarks by the high bits of their hash
    std::vector<uint64_t> spare_;    // a sorted shard's emptied buffer, its memory kept for the next
    int64_t nextFrame_ = 0;          // where the next track starts on the line
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool closing_ = false;
    std::thread sorter_;
  };

  LandmarkIndex();
  ~LandmarkIndex();

  int32_t ShardCount() const { return static_cast<int32_t>(shards_.size()); }

  // The best `limit` offsets of distinct tracks in shards first, first + step, ...,
  // most votes first (ties: the earlier track and offset), each with at least
  // minimumVotes votes. Query landmarks at frames outside [0, kMaxQueryFrames) are
  // not looked up.
  std::vector<LandmarkCandidate> Candidates(std::span<const landmarks::Landmark> query, int32_t minimumVotes,
                                            int32_t limit, int32_t first = 0, int32_t step = 1,
                                            LandmarkLookupStats* stats = nullptr,
                                            LandmarkVotes* buffers = nullptr) const;

  // The best `limit` of several shards' candidates, in the same order and one per
  // track, as if they had come from one look-up.
  static std::vector<LandmarkCandidate> Merge(std::span<const std::vector<LandmarkCandidate>> lists, int32_t limit);

  // Which query landmarks have a stored twin at the candidate's offset, +-1 frame:
  // their places in `query`, ascending.
  std::vector<int32_t> Matching(std::span<const landmarks::Landmark> query, const LandmarkCandidate& candidate) const;

  int64_t LandmarkCount() const { return landmarkCount_; }
  int32_t TrackCount() const { return static_cast<int32_t>(trackIds_.size()); }
  int32_t LandmarksOf(int32_t track) const;
  int64_t MemoryBytes() const;

 private:
  struct Shard {
    int64_t firstFrame = 0;
    std::vector<uint32_t> bucketStart;  // kHashCount + 1
    // Not a vector: its memory is written once by the sort, and a vector would
    // fill it with zeros first.
    std::unique_ptr<uint32_t[]> entries;
    size_t entryCount = 0;
  };
  // The place in trackIds_ of the track holding line frame `frame` (or whose gap
  // before it holds it).
  int32_t PlaceOf(int64_t frame) const;
  int32_t PlaceOfTrack(int32_t track) const;

  std::vector<std::unique_ptr<Shard>> shards_;
  std::vector<int32_t> trackIds_;     // ascending
  std::vector<int64_t> trackStarts_;  // line frame of each track's frame 0
  std::vector<int32_t> trackLandmarks_;
  int64_t landmarkCount_ = 0;
};

}  // namespace melo
