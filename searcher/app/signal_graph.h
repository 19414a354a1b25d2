#pragma once

#include "fingerprint/fingerprint_builder.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace melo {

// The query's signal as "График" draws it, and the figures that decide whether
// it can be searched at all: too quiet, clipped, or shifted off zero.
struct SignalGraph {
  static constexpr int32_t kBlock = 480;        // 10 ms: one waveform column
  static constexpr int32_t kLevelBlock = 2400;  // 50 ms: one level point
  static constexpr int32_t kFullScale = 32767;
  static constexpr int32_t kNoSignal = 1;      // the search's own limits (peak of the query)
  static constexpr int32_t kWeakSignal = 500;

  QList<QPointF> highest;    // (seconds, the block's largest sample)
  QList<QPointF> lowest;     // (seconds, its smallest)
  QList<QPointF> rmsDb;      // (seconds, level of 50 ms in dB of full scale)
  QList<QPointF> peakDb;     // (seconds, peak of 50 ms in dB of full scale)
  QList<QPointF> keypoints;  // (seconds, amplitude) of the query's key points
  double seconds = 0;
  int32_t peak = 0;
  double rmsDbTotal = -120;
  int64_t clipped = 0;  // samples at full scale
  double dcOffset = 0;

  static SignalGraph Of(std::span<const int16_t> samples, const std::vector<QueryKeypoint>& keypoints);

  // What the figures mean for a search, in one paragraph.
  QString Summary(int32_t keypointCount, int32_t landmarkCount) const;
};

// dB of full scale of a level (0 gives -120).
double DecibelsOfFullScale(double level);

}  // namespace melo
