#include "searcher/app/neighbour_spectra.h"

#include "landmarks/landmark_extractor.h"
#include "landmarks/landmark_settings.h"
#include "searcher/app/debug_texts.h"
#include "searcher/app/stored_landmarks.h"

#include <algorithm>
#include <cstdlib>
#include <span>

namespace melo {

namespace {

// The share of `original` landmarks found again, as a search would meet them, in
// the landmarks of the same sound begun `shift` samples later.
double Kept(const std::vector<landmarks::Landmark>& original, const std::vector<int16_t>& samples, int32_t shift) {
  if (original.empty() || shift >= static_cast<int32_t>(samples.size())) return 0;
  landmarks::LandmarkExtractor extractor(landmarks::QuerySettings());
  StoredTrackLandmarks shifted;
  shifted.readable = true;
  shifted.state = StoredLandmarks::Read;
  shifted.landmarks = extractor.Extract(std::span(samples).subspan(static_cast<size_t>(shift))).landmarks;
  // The shifted sound's frame f lies at the original's frame f + shift / 768.
  const int32_t offset = -static_cast<int32_t>(std::lround(double(shift) / landmarks::kInputSamplesPerHop));
  const LandmarkAlignment a = AlignLandmarks(original, 0, shifted, offset);
  return 100.0 * a.matched / static_cast<double>(original.size());
}

}  // namespace

NeighbourSpectra MeasureNeighbourSpectra(const std::vector<int16_t>& samples,
                                         const std::vector<QueryKeypoint>& keypoints, int32_t bandTolerance,
                                         int32_t sumTolerance) {
  NeighbourSpectra n;
  n.bandTolerance = bandTolerance;
  n.sumTolerance = sumTolerance;
  FingerprintBuilder builder(1);
  const auto count = static_cast<int32_t>(samples.size());
  for (const QueryKeypoint& k : keypoints) {
    NeighbourSpectra::Keypoint point;
    point.position = static_cast<int32_t>(k.position);
    bool stable = true;
    for (size_t s = 0; s < NeighbourSpectra::kShifts.size(); ++s) {
      int32_t worstSum = -1, worstLargest = -1;
      for (const int32_t sign : {-1, 1}) {
        uint8_t bands[IndexRecord::kBands];
        const int32_t at = point.position + sign * NeighbourSpectra::kShifts[s];
        if (!builder.ComputeBandBytes(samples.data(), count, at, bands)) continue;
        int32_t sum = 0, largest = 0;
        for (int32_t m = 0; m < IndexRecord::kBands; ++m) {
          const int32_t d = std::abs(int32_t{bands[m]} - int32_t{k.bands[m]});
          sum += d;
          largest = std::max(largest, d);
        }
        worstSum = std::max(worstSum, sum);
        worstLargest = std::max(worstLargest, largest);
      }
      point.sum[s] = worstSum;
      point.largest[s] = worstLargest;
      stable = stable && worstLargest >= 0 && worstLargest <= bandTolerance && worstSum <= sumTolerance;
      if (stable) point.stableShift = NeighbourSpectra::kShifts[s];
    }
    n.keypoints.push_back(point);
  }
  landmarks::LandmarkExtractor extractor(landmarks::QuerySettings());
  const std::vector<landmarks::Landmark> original = extractor.Extract(samples).landmarks;
  n.landmarkCount = static_cast<int32_t>(original.size());
  for (size_t s = 0; s < NeighbourSpectra::kLandmarkShifts.size(); ++s) {
    n.landmarksKept[s] = Kept(original, samples, NeighbourSpectra::kLandmarkShifts[s]);
  }
  return n;
}

QList<QStringList> NeighbourSpectra::Rows() const {
  QList<QStringList> rows;
  for (size_t k = 0; k < keypoints.size(); ++k) {
    const Keypoint& p = keypoints[k];
    QStringList row = {QString::number(k), QString::number(p.position), QString::number(p.stableShift)};
    for (size_t s = 0; s < kShifts.size(); ++s) {
      row.append(p.sum[s] < 0 ? QStringLiteral("—") : QStringLiteral("%1 / %2").arg(p.sum[s]).arg(p.largest[s]));
    }
    rows.append(row);
  }
  return rows;
}

QList<QPointF> NeighbourSpectra::MeanSums() const {
  QList<QPointF> points;
  for (size_t s = 0; s < kShifts.size(); ++s) {
    double total = 0;
    int32_t counted = 0;
    for (const Keypoint& p : keypoints) {
      if (p.sum[s] < 0) continue;
      total += p.sum[s];
      ++counted;
    }
    if (counted > 0) points.append({double(kShifts[s]), total / counted});
  }
  return points;
}

QList<QPointF> NeighbourSpectra::SharesWithin() const {
  QList<QPointF> points;
  for (size_t s = 0; s < kShifts.size(); ++s) {
    int32_t within = 0, counted = 0;
    for (const Keypoint& p : keypoints) {
      if (p.sum[s] < 0) continue;
      ++counted;
      within += p.largest[s] <= bandTolerance && p.sum[s] <= sumTolerance ? 1 : 0;
    }
    if (counted > 0) points.append({double(kShifts[s]), 100.0 * within / counted});
  }
  return points;
}

QList<QPointF> NeighbourSpectra::LandmarksKept() const {
  QList<QPointF> points;
  for (size_t s = 0; s < kLandmarkShifts.size(); ++s) points.append({double(kLandmarkShifts[s]), landmarksKept[s]});
  return points;
}

QString NeighbourSpectra::Summary() const {
  if (keypoints.empty()) return QStringLiteral("В запросе нет ключевых точек.");
  std::vector<int32_t> radii;
  for (const Keypoint& p : keypoints) radii.push_back(p.stableShift);
  std::sort(radii.begin(), radii.end());
  const int32_t fragile = static_cast<int32_t>(std::count(radii.begin(), radii.end(), 0));
  return QStringLiteral("Ключевых точек %1; полосы в допуске (%2 на полосу, %3 в сумме) при сдвиге до %4 отсчётов "
                        "у половины точек; %5 точек меняются уже при сдвиге на 1 отсчёт. Ориентиров %6; при "
                        "сдвиге на 1/8 кадра (96 отсчётов) остаётся %7 %.")
      .arg(keypoints.size())
      .arg(bandTolerance)
      .arg(sumTolerance)
      .arg(radii[radii.size() / 2])
      .arg(fragile)
      .arg(landmarkCount)
      .arg(Decimal(landmarksKept[1], 0));
}

}  // namespace melo
