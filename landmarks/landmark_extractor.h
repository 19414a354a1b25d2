#pragma once

#include "landmarks/downsampler.h"
#include "landmarks/landmark_settings.h"
#include "landmarks/peak_pairs.h"
#include "landmarks/peak_picker.h"
#include "landmarks/short_time_spectrum.h"

#include <cstdint>
#include <span>
#include <vector>

namespace melo::landmarks {

// A piece of sound's spectral peaks and the landmarks paired from them.
struct LandmarkSet {
  int32_t frames = 0;  // spectra the samples hold
  std::vector<SpectralPeak> peaks;
  std::vector<Landmark> landmarks;
};

// Samples (48 kHz mono) to landmarks: the 8 kHz copy, its spectra, their peaks and
// the pairs. A long track is analysed a stretch of frames at a time, each with the
// margin PeakPicker asks for, so memory stays small and the result is the same as
// that of one pass over the whole. One instance per thread.
class LandmarkExtractor {
 public:
  // stretchFrames: how many frames are analysed at a time (about 65 s by default).
  explicit LandmarkExtractor(const LandmarkSettings& settings, int32_t stretchFrames = 4096);

  LandmarkSet Extract(std::span<const int16_t> samples);

  // Spectra in `samples` 48 kHz samples: a frame needs kFrameSize samples of the copy.
  static int32_t FrameCount(int64_t samples);

 private:
  LandmarkSettings settings_;
  int32_t stretchFrames_;
  Downsampler downsampler_;
  ShortTimeSpectrum spectrum_;
  PeakPicker picker_;
  std::vector<float> copy_;
  std::vector<float> levels_;
};

}  // namespace melo::landmarks
