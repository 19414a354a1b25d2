#pragma once

#include <cstdint>
#include <vector>

namespace melo {

struct DominantPeak {
  bool found = false;
  int32_t position = 0;
  int32_t radius = 0;  // min of left and right reach, at most 65535
};

// Finds dominant peaks in windows of one sample buffer.
//
// A candidate is a strict local maximum of |x| at i, from <= i < to. Its left reach
// is the distance to the nearest sample at least as loud at i - 2 or before (i + 1
// when there is none; 2 when i < 2), its right reach likewise at i + 2 or after
// (count - i when there is none; 2 when i + 2 >= count), both capped at 65535.
// The window's dominant peak is the candidate with the largest min(left, right);
// among equal radii the earliest wins. The reaches look at the whole buffer, not
// only at the window, so a peak near a window edge is judged against its
// neighbours in the adjacent windows too.
//
// Scanning sample by sample costs about a hundred comparisons per candidate on
// music. The scanner keeps the peak of every 16-sample block, so a reach scan
// jumps over quiet blocks, and once the best radius so far exceeds a block or two,
// whole blocks and candidates are ruled out by the block peaks alone. The results
// are exactly those of the sample-by-sample scan.
class PeakScanner {
 public:
  // Block peaks for the whole buffer; any window may be searched.
  PeakScanner(const int16_t* samples, int32_t count);
  // Block peaks only for the samples a search of [from, to) can reach.
  PeakScanner(const int16_t* samples, int32_t count, int32_t from, int32_t to);

  DominantPeak Find(int32_t from, int32_t to) const;

  const int16_t* Samples() const noexcept { return samples_; }
  int32_t Count() const noexcept { return count_; }

 private:
  void PrepareBlocks(int32_t begin, int32_t end);
  int32_t BlockPeak(int32_t block) const noexcept { return blockPeak_[block - firstBlock_]; }
  int32_t LeftReach(int32_t i, int32_t a) const noexcept;
  int32_t RightReach(int32_t i, int32_t a) const noexcept;

  const int16_t* samples_;
  int32_t count_;
  int32_t firstBlock_ = 0;
  int32_t lastBlock_ = -1;
  std::vector<uint16_t> blockPeak_;
};

// The dominant peak of samples [from, to) (see PeakScanner).
DominantPeak FindDominantPeak(const int16_t* samples, int32_t count, int32_t from, int32_t to);

}  // namespace melo
