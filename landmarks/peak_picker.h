#pragma once

#include "landmarks/landmark_settings.h"

#include <cstdint>
#include <vector>

namespace melo::landmarks {

// One spectral peak: where it is and how loud (ShortTimeSpectrum's level).
struct SpectralPeak {
  int32_t frame = 0;
  int16_t bin = 0;
  float level = 0;

  friend bool operator==(const SpectralPeak&, const SpectralPeak&) = default;
};

// Chooses the peaks of a stretch of level spectra (ShortTimeSpectrum's rows).
//
// A peak is the loudest point of its neighbourhood in time and frequency, and loud
// enough to be more than the last bits of the samples. Then each band keeps,
// around every point in time, only its loudest peaks: a loud bass line cannot take
// the places of the melody above it, and a band that a channel cut away still
// leaves the others their peaks. Noise added to music lifts the quiet bins most,
// so the loudest peaks of a band are the ones that stay loudest; a gain changes
// every level alike and no choice.
class PeakPicker {
 public:
  explicit PeakPicker(const LandmarkSettings& settings);

  // How many frames beyond a stretch the rows must reach for its peaks to be the
  // same as those of the whole track.
  int32_t Margin() const { return settings_.peakFrames + settings_.densityFrames; }

  // `levels` holds the rows of frames [firstFrame, firstFrame + frames) of a track of
  // totalFrames frames. Appends, in order of frame and bin, the peaks whose frame
  // lies in [keepFrom, keepTo); the rows must reach Margin() frames beyond that
  // range or to the track's first and last frame.
  void Pick(const float* levels, int32_t firstFrame, int32_t frames, int32_t totalFrames, int32_t keepFrom,
            int32_t keepTo, std::vector<SpectralPeak>& out);

 private:
  void CopyLevels(const float* levels, int32_t frames);
  void NeighbourhoodMaximum(int32_t frames);

  LandmarkSettings settings_;
  std::vector<int8_t> bandOf_;    // by bin
  std::vector<float> level_;      // frames x kPeakBins, -infinity where a bin is too quiet
  std::vector<float> maximum_;    // frames x kPeakBins: the neighbourhood's loudest level
  std::vector<float> scratch_;
  std::vector<float> ring_;       // the rows of a window along time, 2 peakFrames + 1 of them
  std::vector<SpectralPeak> candidates_;
};

}  // namespace melo::landmarks
