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
  // Block by block, so that no element pays for a division to find its block.
  for (int32_t start = 0; start < n; start += w) {
    const int32_t end = std::min(n, start + w);
    forward[start] = in[int64_t{start} * stride];
    for (int32_t i = start + 1; i < end; ++i) forward[i] = std::max(forward[i - 1], in[int64_t{i} * stride]);
    backward[end - 1] = in[int64_t{end - 1} * stride];
    for (int32_t i = end - 2; i >= start; --i) backward[i] = std::max(backward[i + 1], in[int64_t{i} * stride]);
  }
  // A window of at most 2r + 1 spans two blocks, or lies in one when the line's
  // start or end cuts it: then it runs from the block's start, or to its end.
  for (int32_t i = 0; i < n; ++i) {
    const int32_t lo = std::max(0, i - r);
    const int32_t hi = std::min(n - 1, i + r);
    float m;
    if (lo / w != hi / w) {
      m = std::max(backward[lo], forward[hi]);
    } else {
      m = lo % w == 0 ? forward[hi] : backward[lo];
    }
    out[int64_t{i} * stride] = m;
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
  scratch_.resize(static_cast<size_t>(kPeakBins) * 2);
  float* forward = scratch_.data();
  float* backward = scratch_.data() + kPeakBins;
  for (int32_t f = 0; f < frames; ++f) {
    SlidingMaximum(level_.data() + int64_t{f} * kPeakBins, maximum_.data() + int64_t{f} * kPeakBins, kPeakBins, 1,
                   settings_.peakBins, forward, backward);
  }
  // Along time a whole row at a time: the rows lie one after the other, so this
  // runs over memory in order (and in vector registers), where walking each bin's
  // column would miss the cache at every frame. A ring holds the rows of the
  // window before they are overwritten.
  const int32_t r = settings_.peakFrames;
  const int32_t w = 2 * r + 1;
  ring_.resize(static_cast<size_t>(w) * kPeakBins);
  const auto row = [](std::vector<float>& rows, int32_t f, int32_t slots) {
    return rows.data() + int64_t{f % slots} * kPeakBins;
  };
  for (int32_t f = 0; f < std::min(w, frames); ++f) std::copy_n(row(maximum_, f, frames), kPeakBins, row(ring_, f, w));
  for (int32_t f = 0; f < frames; ++f) {
    if (f + r < frames && f + r >= w) std::copy_n(row(maximum_, f + r, frames), kPeakBins, row(ring_, f + r, w));
    const int32_t lo = std::max(0, f - r);
    const int32_t hi = std::min(frames - 1, f + r);
    float* out = row(maximum_, f, frames);
    std::copy_n(row(ring_, lo, w), kPeakBins, out);
    for (int32_t k = lo + 1; k <= hi; ++k) {
      const float* in = row(ring_, k, w);
      for (int32_t i = 0; i < kPeakBins; ++i) out[i] = std::max(out[i], in[i]);
    }
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
