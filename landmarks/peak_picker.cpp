#include "landmarks/peak_picker.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace melo::landmarks {

namespace {

constexpr int32_t kPeakBins = kHighestBin - kLowestBin + 1;
constexpr float kNone = -std::numeric_limits<float>::infinity();

// The level (log power + 1) below which a bin holds nothing worth a peak: a sine of
// about 4 units of amplitude in the 16-bit samples, 78 dB below full scale.
constexpr float kQuietestLevel = 12.5f;

// out[i] = max(in[i - r * stride] ... in[i + r * stride]) over n elements of one
// line, by van Herk and Gil-Werman's blocks: a running maximum forwards and one
// backwards within blocks of 2r + 1, so each element costs three comparisons
// whatever r is.
void SlidingMaximum(const float* in, float* out, int32_t n, int32_t stride, int32_t r, float* forward,
                    float* backward) {
  const int32_t w = 2 * r + 1;
  for (int32_t i = 0; i < n; ++i) {
    const float v = in[int64_t{i} * stride];
    forward[i] = (i % w == 0) ? v : std::max(forward[i - 1], v);
  }
  for (int32_t i = n - 1; i >= 0; --i) {
    const float v = in[int64_t{i} * stride];
    backward[i] = (i == n - 1 || (i + 1) % w == 0) ? v : std::max(backward[i + 1], v);
  }
  for (int32_t i = 0; i < n; ++i) {
    const int32_t lo = std::max(0, i - r);
    const int32_t hi = std::min(n - 1, i + r);
    out[int64_t{i} * stride] = std::max(backward[lo], forward[hi]);
  }
}

}  // namespace

PeakPicker::PeakPicker(const LandmarkSettings& settings) : settings_(settings), bandOf_(kBins, -1) {
  const double ratio = static_cast<double>(kHighestBin + 1) / kLowestBin;
  for (int32_t bin = kLowestBin; bin <= kHighestBin; ++bin) {
    const double position = std::log(static_cast<double>(bin) / kLowestBin) / std::log(ratio);
    bandOf_[bin] = static_cast<int8_t>(std::min<int32_t>(settings.bandCount - 1,
                                                         static_cast<int32_t>(position * settings.bandCount)));
  }
}

void PeakPicker::CopyLevels(const float* levels, int32_t frames) {
  level_.resize(static_cast<size_t>(frames) * kPeakBins);
  for (int32_t f = 0; f < frames; ++f) {
    const float* row = levels + int64_t{f} * kBins + kLowestBin;
    float* out = level_.data() + int64_t{f} * kPeakBins;
    for (int32_t i = 0; i < kPeakBins; ++i) out[i] = row[i] < kQuietestLevel ? kNone : row[i];
  }
}

void PeakPicker::NeighbourhoodMaximum(int32_t frames) {
  maximum_.resize(level_.size());
  const int32_t longest = std::max(frames, kPeakBins);
  scratch_.resize(static_cast<size_t>(longest) * 2);
  float* forward = scratch_.data();
  float* backward = scratch_.data() + longest;
  for (int32_t f = 0; f < frames; ++f) {
    SlidingMaximum(level_.data() + int64_t{f} * kPeakBins, maximum_.data() + int64_t{f} * kPeakBins, kPeakBins, 1,
                   settings_.peakBins, forward, backward);
  }
  for (int32_t i = 0; i < kPeakBins; ++i) {
    SlidingMaximum(maximum_.data() + i, maximum_.data() + i, frames, kPeakBins, settings_.peakFrames, forward,
                   backward);
  }
}

void PeakPicker::Pick(const float* levels, int32_t firstFrame, int32_t frames, int32_t totalFrames,
                      int32_t keepFrom, int32_t keepTo, std::vector<SpectralPeak>& out) {
  if (frames <= 0) return;
  CopyLevels(levels, frames);
  NeighbourhoodMaximum(frames);

  // A frame whose neighbourhood the rows do not wholly hold yields no peak, unless
  // the rows end there because the track does.
  const int32_t first = firstFrame == 0 ? 0 : settings_.peakFrames;
  const int32_t last = firstFrame + frames == totalFrames ? frames : frames - settings_.peakFrames;
  candidates_.clear();
  for (int32_t f = first; f < last; ++f) {
    const float* c = level_.data() + int64_t{f} * kPeakBins;
    const float* m = maximum_.data() + int64_t{f} * kPeakBins;
    for (int32_t i = 0; i < kPeakBins; ++i) {
      if (c[i] != kNone && c[i] == m[i]) {
        candidates_.push_back({firstFrame + f, static_cast<int16_t>(kLowestBin + i), c[i]});
      }
    }
  }

  // Density: a candidate stays when fewer than peaksPerBand candidates of its band
  // within +-densityFrames are louder (or as loud and earlier).
  const int32_t reach = settings_.densityFrames;
  for (size_t i = 0; i < candidates_.size(); ++i) {
    const SpectralPeak& p = candidates_[i];
    if (p.frame < keepFrom || p.frame >= keepTo) continue;
    const int32_t band = bandOf_[p.bin];
    int32_t louder = 0;
    for (size_t j = i; j-- > 0 && candidates_[j].frame >= p.frame - reach;) {
      const SpectralPeak& q = candidates_[j];
      if (bandOf_[q.bin] == band && q.level >= p.level) ++louder;
    }
    for (size_t j = i + 1; j < candidates_.size() && candidates_[j].frame <= p.frame + reach; ++j) {
      const SpectralPeak& q = candidates_[j];
      if (bandOf_[q.bin] == band && q.level > p.level) ++louder;
    }
    if (louder < settings_.peaksPerBand) out.push_back(p);
  }
}

}  // namespace melo::landmarks
