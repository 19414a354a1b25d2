#include "searcher/app/signal_graph.h"

#include "fingerprint/sample_buffer.h"
#include "searcher/app/debug_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace melo {

namespace {

constexpr double kSilentDb = -120;
// Clipping shows when more than this share of the samples sit at full scale.
constexpr double kClippedShare = 0.001;

}  // namespace

double DecibelsOfFullScale(double level) {
  return level > 0 ? std::max(kSilentDb, 20 * std::log10(level / SignalGraph::kFullScale)) : kSilentDb;
}

SignalGraph SignalGraph::Of(std::span<const int16_t> samples, const std::vector<QueryKeypoint>& keypoints) {
  SignalGraph g;
  const auto count = static_cast<int64_t>(samples.size());
  g.seconds = static_cast<double>(count) / kSampleRate;
  double energy = 0, sum = 0;
  for (int64_t block = 0; block < count; block += kBlock) {
    int32_t hi = -32768, lo = 32767;
    for (int64_t i = block; i < std::min(count, block + kBlock); ++i) {
      hi = std::max<int32_t>(hi, samples[i]);
      lo = std::min<int32_t>(lo, samples[i]);
    }
    const double t = static_cast<double>(block) / kSampleRate;
    g.highest.append({t, double(hi)});
    g.lowest.append({t, double(lo)});
  }
  for (int64_t block = 0; block < count; block += kLevelBlock) {
    double blockEnergy = 0;
    int32_t blockPeak = 0;
    const int64_t end = std::min(count, block + kLevelBlock);
    for (int64_t i = block; i < end; ++i) {
      const int32_t x = samples[i];
      blockEnergy += double(x) * x;
      blockPeak = std::max(blockPeak, std::abs(x));
    }
    energy += blockEnergy;
    const double t = static_cast<double>(block) / kSampleRate;
    g.rmsDb.append({t, DecibelsOfFullScale(std::sqrt(blockEnergy / double(end - block)))});
    g.peakDb.append({t, DecibelsOfFullScale(blockPeak)});
  }
  for (const int16_t x : samples) {
    g.peak = std::max(g.peak, std::abs(int32_t{x}));
    g.clipped += std::abs(int32_t{x}) >= kFullScale ? 1 : 0;
    sum += x;
  }
  if (count > 0) {
    g.rmsDbTotal = DecibelsOfFullScale(std::sqrt(energy / double(count)));
    g.dcOffset = sum / double(count);
  }
  for (const QueryKeypoint& k : keypoints) {
    g.keypoints.append({double(k.position) / kSampleRate, double(samples[k.position])});
  }
  return g;
}

QString SignalGraph::Summary(int32_t keypointCount, int32_t landmarkCount) const {
  const QString figures =
      QStringLiteral("Пик %1 (%2 дБ от полной шкалы), средний уровень %3 дБ, отсчётов на пределе %4, "
                     "постоянная составляющая %5. Ключевых точек %6 из %7, ориентиров %8. ")
          .arg(peak)
          .arg(Decimal(DecibelsOfFullScale(peak), 1))
          .arg(Decimal(rmsDbTotal, 1))
          .arg(clipped)
          .arg(Decimal(dcOffset, 0))
          .arg(keypointCount)
          .arg(kMaxQueryKeypoints)
          .arg(landmarkCount);
  if (peak <= kNoSignal) return figures + QStringLiteral("Сигнала нет: поиск не начнётся.");
  if (peak < kWeakSignal) {
    return figures + QStringLiteral("Сигнал слишком слабый (пик ниже %1): поиск не начнётся.").arg(kWeakSignal);
  }
  const double samples = seconds * kSampleRate;
  if (samples > 0 && double(clipped) > kClippedShare * samples) {
    return figures + QStringLiteral("Сигнал перегружен: вершины срезаны, полосы спектра искажены.");
  }
  if (keypointCount < kMinQueryKeypoints) {
    return figures + QStringLiteral("Ключевых точек меньше %1: запрос не создаётся.").arg(kMinQueryKeypoints);
  }
  return figures + QStringLiteral("Уровень сигнала годится для поиска.");
}

}  // namespace melo
