#include "fingerprint/dominant_peak.h"

#include <algorithm>
#include <cstdlib>

namespace melo {

namespace {

constexpr int32_t kMaxReach = 65535;
constexpr int32_t kBlockShift = 4;
constexpr int32_t kBlock = 1 << kBlockShift;
constexpr int32_t kBlockMask = kBlock - 1;

inline int32_t Amp(const int16_t* x, int32_t i) noexcept { return std::abs(int32_t{x[i]}); }

int32_t Clamp(int64_t v, int32_t lo, int32_t hi) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, lo, hi));
}

}  // namespace

PeakScanner::PeakScanner(const int16_t* samples, int32_t count) : samples_(samples), count_(count) {
  PrepareBlocks(0, count);
}

PeakScanner::PeakScanner(const int16_t* samples, int32_t count, int32_t from, int32_t to)
    : samples_(samples), count_(count) {
  PrepareBlocks(Clamp(int64_t{from} - kMaxReach, 0, count), Clamp(int64_t{to} + kMaxReach, 0, count));
}

void PeakScanner::PrepareBlocks(int32_t begin, int32_t end) {
  if (end <= begin) return;
  firstBlock_ = begin >> kBlockShift;
  lastBlock_ = (end - 1) >> kBlockShift;
  blockPeak_.resize(static_cast<size_t>(lastBlock_ - firstBlock_ + 1));
  for (int32_t b = firstBlock_; b <= lastBlock_; ++b) {
    const int32_t lo = b << kBlockShift;
    const int32_t hi = std::min(lo + kBlock, count_);
    int32_t peak = 0;
    for (int32_t i = lo; i < hi; ++i) peak = std::max(peak, Amp(samples_, i));
    blockPeak_[b - firstBlock_] = static_cast<uint16_t>(peak);
  }
}

// Distance to the nearest sample at least as loud as a at i - 2 or before. The
// scan only needs to go back 65534 samples: anything farther gives the cap.
int32_t PeakScanner::LeftReach(int32_t i, int32_t a) const noexcept {
  if (i < 2) return 2;
  const int16_t* x = samples_;
  const int32_t kMin = std::max(i - (kMaxReach - 1), int32_t{0});
  int32_t k = i - 2;
  while (k >= kMin && (k & kBlockMask) != kBlockMask) {
    if (Amp(x, k) >= a) return i - k;
    --k;
  }
  while (k >= kMin && BlockPeak(k >> kBlockShift) < a) k -= kBlock;
  for (; k >= kMin; --k) {
    if (Amp(x, k) >= a) return i - k;
  }
  return kMin == 0 ? std::min(i + 1, kMaxReach) : kMaxReach;
}

int32_t PeakScanner::RightReach(int32_t i, int32_t a) const noexcept {
  if (i + 2 >= count_) return 2;
  const int16_t* x = samples_;
  const int32_t kMax = static_cast<int32_t>(std::min(int64_t{i} + (kMaxReach - 1), int64_t{count_} - 1));
  int32_t k = i + 2;
  while (k <= kMax && (k & kBlockMask) != 0) {
    if (Amp(x, k) >= a) return k - i;
    ++k;
  }
  while (k <= kMax && BlockPeak(k >> kBlockShift) < a) k += kBlock;
  for (; k <= kMax; ++k) {
    if (Amp(x, k) >= a) return k - i;
  }
  return kMax == count_ - 1 ? std::min(count_ - i, kMaxReach) : kMaxReach;
}

DominantPeak PeakScanner::Find(int32_t from, int32_t to) const {
  DominantPeak best;
  const int16_t* x = samples_;
  const int32_t first = std::max(from, int32_t{1});
  const int32_t last = std::min(to, count_ - 1);
  for (int32_t i = first; i < last;) {
    const int32_t block = i >> kBlockShift;
    const int32_t blockEnd = std::min(last, (block + 1) << kBlockShift);
    const int32_t blockPeak = BlockPeak(block);
    // Once the best radius reaches 31, a sample of a neighbouring block that is at
    // least as loud as everything in this block is close enough to rule out every
    // candidate here. (No candidate has a neighbour at distance 1 that loud.)
    if (best.radius >= 2 * kBlock - 1 &&
        ((block > firstBlock_ && BlockPeak(block - 1) >= blockPeak) ||
         (block < lastBlock_ && BlockPeak(block + 1) >= blockPeak))) {
      i = blockEnd;
      continue;
    }
    for (; i < blockEnd; ++i) {
      const int32_t a = Amp(x, i);
      if (a <= Amp(x, i - 1) || a <= Amp(x, i + 1)) continue;
      // A louder sample in the same block lies at most 15 away.
      if (best.radius >= kBlock - 1 && blockPeak > a) continue;
      const int32_t left = LeftReach(i, a);
      if (left <= best.radius) continue;
      const int32_t radius = std::min(left, RightReach(i, a));
      if (radius > best.radius) best = {true, i, radius};
    }
  }
  return best;
}

DominantPeak FindDominantPeak(const int16_t* samples, int32_t count, int32_t from, int32_t to) {
  if (std::max(from, int32_t{1}) >= std::min(to, count - 1)) return {};
  return PeakScanner(samples, count, from, to).Find(from, to);
}

}  // namespace melo
