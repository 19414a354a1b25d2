#pragma once

#include "landmarks/peak_pairs.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace melo {

// A track and offset that the landmarks of a query agree on.
struct LandmarkCandidate {
  int32_t track = -1;
  int32_t offset = 0;  // the track's frame at the query's frame 0
  int32_t votes = 0;   // query landmarks whose stored twin lies at that offset, +-1 frame
};

// What one look-up did, for the counters a search reports.
struct LandmarkLookupStats {
  int32_t queryLandmarks = 0;
  int64_t entriesVisited = 0;  // stored landmarks sharing a hash with the query's
  int32_t offsetsOverOne = 0;  // offsets at which more than one landmark agrees
};

// The landmarks of every loaded track, inverted: for each of the 2^20 hashes, the
// frames at which a track holds it.
//
// Every track's frames are numbered on one line, one track after the other with a
// gap of kTrackGap frames, so a stored landmark is a single number, and a query
// landmark that meets it votes for one number too: stored frame minus query frame.
// All votes of one track at one offset fall on the same number, whatever the track.
// The line is cut into shards of under 2^32 frames and 2^27 landmarks; a shard keeps
// its hashes' entries as 32-bit frames counted from its start, in ascending order
// within each hash: 4 bytes per landmark and 4 MB of bucket starts per shard.
class LandmarkIndex {
 public:
  static constexpr int32_t kTrackGap = 1024;          // longer than any query
  static constexpr int32_t kMaxQueryFrames = 1024;

  class Builder {
   public:
    Builder();
    ~Builder();
    // Tracks in ascending order; a track without landmarks may be left out.
    void AddTrack(int32_t track, int32_t frames, std::span<const landmarks::Landmark> landmarks);
    std::unique_ptr<LandmarkIndex> Finish();

   private:
    void CloseShard();
    std::unique_ptr<LandmarkIndex> index_;
    std::vector<uint64_t> pending_;  // hash << 32 | frame from the shard's start
    int64_t nextFrame_ = 0;          // where the next track starts on the line
  };

  // The best `limit` offsets, most votes first, with at least minimumVotes votes;
  // at most perTrack of them in one track, each at least kDistinctOffsets frames
  // from the others there. `query` frames must be below kMaxQueryFrames.
  static constexpr int32_t kDistinctOffsets = 16;
  std::vector<LandmarkCandidate> Candidates(std::span<const landmarks::Landmark> query, int32_t minimumVotes,
                                            int32_t limit, int32_t perTrack = 1,
                                            LandmarkLookupStats* stats = nullptr) const;

  // Which query landmarks have a stored twin at the candidate's offset, +-1 frame:
  // their places in `query`, ascending.
  std::vector<int32_t> Matching(std::span<const landmarks::Landmark> query, const LandmarkCandidate& candidate) const;

  // How many stored landmarks carry `hash`, over all shards.
  int64_t HashCount(uint32_t hash) const;

  int64_t LandmarkCount() const { return landmarkCount_; }
  int32_t TrackCount() const { return static_cast<int32_t>(trackIds_.size()); }
  int32_t LandmarksOf(int32_t track) const;
  int64_t MemoryBytes() const;

 private:
  struct Shard {
    int64_t firstFrame = 0;
    std::vector<uint32_t> bucketStart;  // kHashCount + 1
    std::vector<uint32_t> entries;
  };
  // The track holding line frame `frame` (or just before it, in the gap), as a
  // place in trackIds_.
  int32_t PlaceOf(int64_t frame) const;

  std::vector<Shard> shards_;
  std::vector<int32_t> trackIds_;      // ascending
  std::vector<int64_t> trackStarts_;   // line frame of each track's frame 0
  std::vector<int32_t> trackLandmarks_;
  int64_t landmarkCount_ = 0;
};

}  // namespace melo
