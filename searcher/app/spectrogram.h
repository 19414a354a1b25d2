#pragma once

#include "landmarks/landmark_extractor.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace melo {

class JobProgress;

// "Изучение спектров": the landmark analysis' spectra of a stretch of sound, its
// spectral peaks and landmarks (as a query's are chosen), and the described key
// points, drawn into one picture: time to the right, frequency up.
class Spectrogram {
 public:
  static constexpr int32_t kTopBin = 960;  // 3750 Hz: above, the 8 kHz copy is silent
  static constexpr int32_t kLeftMargin = 56;
  static constexpr int32_t kBottomMargin = 34;
  static constexpr int32_t kTopMargin = 8;
  static constexpr int32_t kBinsPerPixel = 2;
  // The marks' colours, for the legend and for tests that find them in the picture.
  static constexpr QRgb kPeakColour = 0xFFFFFFFF;
  static constexpr QRgb kLandmarkColour = 0xFF30E0FF;
  static constexpr QRgb kKeypointColour = 0xFFFF40FF;

  // Computes the spectra, peaks and landmarks of the samples (48 kHz), with the
  // query's key points at `keypoints` (sample positions). Empty when stopped.
  static Spectrogram Of(std::span<const int16_t> samples, const std::vector<int32_t>& keypoints,
                        JobProgress* progress = nullptr);

  int32_t Frames() const { return frames_; }
  const landmarks::LandmarkSet& Set() const { return set_; }
  const std::vector<int32_t>& Keypoints() const { return keypoints_; }
  // A frame's level of a bin (ln of power + 1).
  float Level(int32_t frame, int32_t bin) const { return levels_[static_cast<size_t>(frame) * kRows + bin]; }

  // The picture with `pixelsPerFrame` columns a frame and its axes; the marks only when asked for.
  QImage Picture(int32_t pixelsPerFrame, bool peaks, bool landmarks, bool keypoints) const;
  // Where a frame and bin lie in that picture.
  QPoint PixelOf(int32_t pixelsPerFrame, double frame, double bin) const;
  // The largest pixels a frame that keeps the picture within `width` pixels (at least 1).
  int32_t FittingScale(int32_t width) const;

 private:
  static constexpr int32_t kRows = kTopBin + 1;
  int32_t frames_ = 0;
  std::vector<float> levels_;  // frames x kRows
  float loudest_ = 0;
  landmarks::LandmarkSet set_;
  std::vector<int32_t> keypoints_;
};

}  // namespace melo
