#pragma once

#include "fingerprint/fingerprint_builder.h"

#include <QList>
#include <QPointF>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace melo {

// "Разница в соседних спектрах": how stable the query's fingerprint is where it
// was taken. The matcher meets a key point with a track peak that a recording may
// have moved by a few samples: when the band bytes change by more than the band
// tolerance within that distance, the coarse test misses a true match. The same
// for the landmarks: the query's sound shifted by part of a frame changes which
// peaks its spectra show.
struct NeighbourSpectra {
  // Shifts in samples at which the band bytes are compared with the key point's own.
  static constexpr std::array<int32_t, 10> kShifts = {1, 3, 10, 30, 100, 300, 1000, 2400, 4800, 12000};
  // Shifts of the whole query for the landmarks, in samples (768 a frame).
  static constexpr std::array<int32_t, 6> kLandmarkShifts = {48, 96, 192, 384, 768, 1536};

  struct Keypoint {
    int32_t position = 0;
    // Per shift the worse of +s and -s: sum and largest band difference; -1 where
    // the frame leaves the query.
    std::array<int32_t, kShifts.size()> sum{};
    std::array<int32_t, kShifts.size()> largest{};
    // The largest shift up to which every band stays within the tolerance (0: not even 1 sample).
    int32_t stableShift = 0;
  };
  std::vector<Keypoint> keypoints;
  int32_t bandTolerance = 0;
  int32_t sumTolerance = 0;
  // Per landmark shift: the share (percent) of the query's landmarks that stay.
  std::array<double, kLandmarkShifts.size()> landmarksKept{};
  int32_t landmarkCount = 0;

  // "Точка", "Позиция", "Устойчива до, отсч.", then "±s" per shift ("сумма / макс.").
  QList<QStringList> Rows() const;
  // (shift, mean band sum over the key points) and (shift, share of key points with every band within Tb).
  QList<QPointF> MeanSums() const;
  QList<QPointF> SharesWithin() const;
  QList<QPointF> LandmarksKept() const;
  QString Summary() const;
};

NeighbourSpectra MeasureNeighbourSpectra(const std::vector<int16_t>& samples,
                                         const std::vector<QueryKeypoint>& keypoints, int32_t bandTolerance,
                                         int32_t sumTolerance);

}  // namespace melo
