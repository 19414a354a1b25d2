#include "landmarks/landmark_extractor.h"

#include <algorithm>

namespace melo::landmarks {

LandmarkExtractor::LandmarkExtractor(const LandmarkSettings& settings, int32_t stretchFrames)
    : settings_(settings), stretchFrames_(std::max(stretchFrames, 1)), picker_(settings) {}

int32_t LandmarkExtractor::FrameCount(int64_t samples) {
  const int64_t copy = (samples + kDecimation - 1) / kDecimation;
  if (copy < kFrameSize) return 0;
  return static_cast<int32_t>((copy - kFrameSize) / kHop + 1);
}

LandmarkSet LandmarkExtractor::Extract(std::span<const int16_t> samples) {
  LandmarkSet set;
  set.frames = FrameCount(static_cast<int64_t>(samples.size()));
  const int32_t margin = picker_.Margin();
  for (int32_t start = 0; start < set.frames; start += stretchFrames_) {
    const int32_t end = std::min(set.frames, start + stretchFrames_);
    const int32_t first = std::max(0, start - margin);
    const int32_t last = std::min(set.frames, end + margin);
    const int32_t frames = last - first;
    const int32_t copyLength = (frames - 1) * kHop + kFrameSize;
    copy_.resize(static_cast<size_t>(copyLength));
    downsampler_.Run(samples, int64_t{first} * kHop, copyLength, copy_.data());
    levels_.resize(static_cast<size_t>(frames) * kBins);
    spectrum_.Compute(copy_.data(), frames, levels_.data());
    picker_.Pick(levels_.data(), first, frames, set.frames, start, end, set.peaks);
  }
  set.landmarks = PairPeaks(set.peaks, settings_);
  return set;
}

}  // namespace melo::landmarks
