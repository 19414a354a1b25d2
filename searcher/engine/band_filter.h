#pragma once

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace melo {

struct TrackIndex;

// Where a frame found by a probe lives.
struct FilteredFrame {
  int32_t track = 0;
  int32_t frame = 0;
  int32_t trackFrames = 0;  // the track's record count
  const uint8_t* record = nullptr;
};

// Every frame with a peak of every loaded track, grouped by coarse cells of its
// band bytes, so that a search visits only the frames whose bytes can be near a
// key point's instead of reading every record.
//
// Frames are numbered across all tracks and cut into chunks of 2^20 numbers (145
// hours). Within a chunk four band bytes pick one of 65,536 buckets (16 cells
// each); an entry is 4 bytes: the frame's number within its chunk (20 bits) and,
// in the top 12 bits, the cells of three more bands. The cells are quantiles of
// the first chunk's bytes, so buckets fill evenly whatever the bytes' spread.
//
// A probe with tolerances T (each byte) and S (their sum) visits the buckets and
// entries whose seven cells all meet the key point's bytes +- T, and of those only
// the ones whose cells are no farther from the key point's bytes, summed, than S.
// Both are bounds a frame that passes the coarse test never exceeds, so none is
// missed; the caller tests the whole record.
//
// Per track it keeps the numbers a full scan's counters need: frames with a peak,
// and which of the last 32 frames have none. About 4 bytes per frame (29 KB per
// hour) beside the 12 of the record itself. The tracks must not change once added.
class BandFilter {
  // The sorting's buffers, reused chunk after chunk.
  struct SortScratch {
    std::vector<uint64_t> byHighByte;  // bucket << 32 | entry
    std::vector<uint32_t> next;        // where each bucket's next entry goes
  };

 public:
  static constexpr int32_t kCells = 16;
  static constexpr int32_t kTailFrames = 32;  // the longest end of a track the counters can leave out
  static constexpr std::array<int32_t, 4> kKeyBands = {0, 2, 4, 6};
  static constexpr std::array<int32_t, 3> kExtraBands = {1, 3, 7};

  // Builds the filter while a load delivers the tracks: a thread of its own sorts
  // each chunk into its buckets as soon as its frames are there, beside the load's
  // reading, so that little is left to do when the last track arrives.
  class Builder {
   public:
    explicit Builder(int32_t tracks);  // how many tracks will be added, at most
    ~Builder();
    // The next track, loaded or not; the track must stay where it is.
    void Add(const TrackIndex& track);
    // Once, after the last Add. Null when no frame has a peak or the frames are
    // more than 32-bit numbers reach.
    std::unique_ptr<BandFilter> Finish();

   private:
    struct Job {
      int32_t chunk;
      uint64_t frames;  // frames added when the job was given
      size_t spans;     // and the spans there were
    };
    void Sort();  // the sorting thread
    void Give(const Job& job);

    std::unique_ptr<BandFilter> filter_;
    SortScratch scratch_;  // the sorting thread's
    int32_t capacity_ = 0;
    bool overflowed_ = false;
    uint64_t frames_ = 0;
    int32_t chunksGiven_ = 0;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool closing_ = false;
    std::thread sorter_;
  };
  // The same over tracks already loaded (tests, benchmarks).
  static std::unique_ptr<BandFilter> Build(const std::vector<TrackIndex>& tracks);

  // One key point's probe with tolerances `band` (each byte) and `sum` (all bytes):
  // the cells of each filtered band its bytes can fall in, and how far each cell
  // is at least from the key point's byte. An entry whose cells are farther in all
  // than `sum` cannot pass the coarse test, whatever its bytes.
  static constexpr uint8_t kFar = 255;  // an extra cell outside the tolerance
  struct Probe {
    std::array<int32_t, 4> lowCell{}, highCell{};
    std::array<std::array<uint8_t, kCells>, 4> keyDistance{};
    std::array<uint8_t, kCells * kCells * kCells> extraDistance{};  // by the entry's extra cells; kFar: out
    int32_t sum = 0;
  };
  Probe ProbeFor(const uint8_t* bands, int32_t band, int32_t sum) const;
  // Entries the probe's buckets hold, and of them how many are expected to pass
  // the extra cells (from their overall counts): the work it costs.
  struct Cost {
    int64_t entries = 0;
    double recordReads = 0;
  };
  Cost CostOf(const Probe& probe) const;

  // Calls visit(const FilteredFrame&) for each frame whose cells the probe lets through.
  template <class Visitor>
  void Visit(const Probe& probe, Visitor&& visit) const;

  // Frames with a peak among frames 0 .. end - 1 of a track, for end from
  // count - kTailFrames to count.
  int64_t FramesWithPeakBefore(int32_t track, int32_t end) const;

  int64_t Entries() const { return entries_; }
  int64_t MemoryBytes() const;

 private:
  struct TrackSpan {
    uint32_t first = 0;  // number of the track's frame 0
    uint32_t withPeak = 0;
    uint32_t tailSilent = 0;  // bit j: frame count - 1 - j has no peak
    const uint8_t* records = nullptr;
  };
  static constexpr int32_t kChunkShift = 20;
  static constexpr uint32_t kInChunk = (1u << kChunkShift) - 1;
  static constexpr int32_t kBuckets = kCells * kCells * kCells * kCells;
  static constexpr int32_t kBlockShift = 9;  // frames per entry of blockTrack_: 512
  struct Chunk {
    std::vector<uint32_t> bucketStart;  // kBuckets + 1
    std::vector<uint32_t> entries;      // extra cells << 20 | number within the chunk, ascending per bucket
  };

  void SetCells(uint64_t frames);
  void FillChunk(int32_t chunk, uint64_t frames, size_t spanCount, SortScratch& scratch);
  int32_t Bucket(const uint8_t* bands) const;
  uint32_t ExtraCells(const uint8_t* bands) const;
  FilteredFrame Locate(uint32_t number) const;

  // cellOf_[i][v]: the cell of value v in filtered band i (key bands first);
  // cellLow_ and cellHigh_ the smallest and largest value of each cell.
  std::array<std::array<uint8_t, 256>, 7> cellOf_{};
  std::array<std::array<uint8_t, kCells>, 7> cellLow_{}, cellHigh_{};
  std::vector<Chunk> chunks_;
  std::vector<uint32_t> allChunksStart_;  // the buckets' starts as if all chunks were one, for CostOf
  int64_t entries_ = 0;
  std::array<int64_t, kCells * kCells * kCells> extraCount_{};
  std::vector<TrackSpan> spans_;     // per track and one past the last
  std::vector<int32_t> blockTrack_;  // the track holding frame number b << kBlockShift
};

template <class Visitor>
void BandFilter::Visit(const Probe& probe, Visitor&& visit) const {
  // The records the entries lead to are scattered over the whole index, and so
  // are the tables that say where they are: nearly every read is a cache miss.
  // A batch of numbers is located in stages, each prefetching what the next one
  // reads, so that the misses of the whole batch overlap.
  constexpr int32_t kBatch = 32;
  std::array<uint32_t, kBatch> numbers;
  std::array<FilteredFrame, kBatch> frames;
  int32_t held = 0;
  auto flush = [&] {
    for (int32_t i = 0; i < held; ++i) __builtin_prefetch(&spans_[blockTrack_[numbers[i] >> kBlockShift]]);
    for (int32_t i = 0; i < held; ++i) {
      frames[i] = Locate(numbers[i]);
      __builtin_prefetch(frames[i].record);
    }
    for (int32_t i = 0; i < held; ++i) visit(frames[i]);
    held = 0;
  };
  const auto& lo = probe.lowCell;
  const auto& hi = probe.highCell;
  const auto& kd = probe.keyDistance;
  for (size_t chunk = 0; chunk < chunks_.size(); ++chunk) {
    const uint32_t chunkFirst = static_cast<uint32_t>(chunk) << kChunkShift;
    const uint32_t* starts = chunks_[chunk].bucketStart.data();
    const uint32_t* entries = chunks_[chunk].entries.data();
    for (int32_t a = lo[0]; a <= hi[0]; ++a) {
      for (int32_t b = lo[1]; b <= hi[1]; ++b) {
        for (int32_t c = lo[2]; c <= hi[2]; ++c) {
          const int32_t left = probe.sum - kd[0][a] - kd[1][b] - kd[2][c];
          const int32_t row = ((a * kCells + b) * kCells + c) * kCells;
          for (int32_t d = lo[3]; d <= hi[3] && left >= 0; ++d) {
            const int32_t budget = std::min(left - kd[3][d], kFar - 1);
            if (budget < 0) continue;
            const uint32_t end = starts[row + d + 1];
            for (uint32_t e = starts[row + d]; e < end; ++e) {
              const uint32_t entry = entries[e];
              if (probe.extraDistance[entry >> kChunkShift] > budget) continue;
              numbers[held] = chunkFirst | (entry & kInChunk);
              __builtin_prefetch(&blockTrack_[numbers[held] >> kBlockShift]);
              if (++held == kBatch) flush();
            }
          }
        }
      }
    }
  }
  flush();
}

}  // namespace melo
