#include "searcher/app/level_sweep.h"

#include "fingerprint/fingerprint_builder.h"
#include "landmarks/landmark_extractor.h"
#include "searcher/app/background_job.h"
#include "searcher/app/debug_texts.h"
#include "searcher/app/direct_search.h"
#include "searcher/app/signal_graph.h"
#include "searcher/engine/audio_query.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace melo {

namespace {

std::vector<int16_t> Scaled(const std::vector<int16_t>& samples, double gainDb, int64_t& clipped) {
  const double gain = std::pow(10.0, gainDb / 20);
  std::vector<int16_t> out(samples.size());
  clipped = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    const double x = std::round(samples[i] * gain);
    const double y = std::clamp(x, -32768.0, 32767.0);
    clipped += y != x ? 1 : 0;
    out[i] = static_cast<int16_t>(y);
  }
  return out;
}

double KeptShare(const std::vector<landmarks::SpectralPeak>& reference, const std::vector<landmarks::SpectralPeak>& now) {
  if (reference.empty()) return 0;
  int32_t kept = 0;
  for (const landmarks::SpectralPeak& r : reference) {
    kept += std::any_of(now.begin(), now.end(), [&r](const landmarks::SpectralPeak& p) {
      return std::abs(p.frame - r.frame) <= 1 && std::abs(p.bin - r.bin) <= 2;
    });
  }
  return 100.0 * kept / static_cast<double>(reference.size());
}

QString SearchAnswer(const SearchIndex& index, const std::vector<int16_t>& heard, int32_t peak,
                     const SearchParameters& params, int32_t expectedTrack) {
  // The program does not search what it cannot hear.
  if (peak < SignalGraph::kWeakSignal) return QStringLiteral("слабый сигнал");
  AudioQuery query;
  if (!query.Create(heard.data(), static_cast<int32_t>(heard.size()), params.analysis)) {
    return QStringLiteral("мало ключевых точек");
  }
  const DirectSearch s = SearchDirectly(index, query, params, CoarseMatches::AsTheProgram);
  if (s.entries.empty()) return QStringLiteral("не найден");
  const ResultEntry& best = s.entries.front();
  if (expectedTrack >= 0 && best.track != expectedTrack) return QStringLiteral("другой трек: %1").arg(best.track);
  return QStringLiteral("найден (оценка %1)").arg(best.score);
}

}  // namespace

LevelSweep SweepLevels(const std::vector<int16_t>& samples, const SearchIndex* index, const SearchParameters& params,
                       int32_t expectedTrack, JobProgress& progress) {
  LevelSweep sweep;
  FingerprintBuilder builder(1);
  const auto count = static_cast<int32_t>(samples.size());
  const auto keypoints = BuildQueryKeypoints(builder, samples.data(), count);
  if (keypoints) sweep.keypointCount = static_cast<int32_t>(keypoints->size());
  sweep.bandTolerance = params.bandTolerance;
  landmarks::LandmarkExtractor extractor(landmarks::QuerySettings());
  const std::vector<landmarks::SpectralPeak> reference = extractor.Extract(samples).peaks;
  const int32_t steps = static_cast<int32_t>((LevelSweep::kHighestGainDb - LevelSweep::kLowestGainDb) /
                                             LevelSweep::kStepDb) + 1;
  for (int32_t i = 0; i < steps && !progress.Stopped(); ++i) {
    LevelSweep::Step step;
    step.gainDb = LevelSweep::kLowestGainDb + i * LevelSweep::kStepDb;
    progress.SetStage(QStringLiteral("%1 дБ").arg(Decimal(step.gainDb, 0)));
    progress.Set(i, steps);
    const std::vector<int16_t> heard = Scaled(samples, step.gainDb, step.clipped);
    for (const int16_t x : heard) step.peak = std::max(step.peak, std::abs(int32_t{x}));
    int32_t bytes = 0, saturated = 0;
    double changes = 0;
    for (const QueryKeypoint& k : keypoints.value_or(std::vector<QueryKeypoint>{})) {
      uint8_t bands[8];
      builder.ComputeBandBytes(heard.data(), count, static_cast<int32_t>(k.position), bands);
      for (int32_t m = 0; m < 8; ++m) {
        step.meanBand[m] += bands[m];
        saturated += bands[m] == 255 ? 1 : 0;
        ++bytes;
        // The key point's own bytes are those of the 0 dB query.
        const int32_t change = std::abs(int32_t{bands[m]} - int32_t{k.bands[m]});
        step.largestChange = std::max(step.largestChange, change);
        changes += change;
      }
    }
    step.meanChange = bytes > 0 ? changes / bytes : 0;
    for (double& band : step.meanBand) band = sweep.keypointCount > 0 ? band / sweep.keypointCount : 0;
    step.saturatedShare = bytes > 0 ? 100.0 * saturated / bytes : 0;
    const auto chosen = builder.FindQueryKeypoints(heard.data(), count);
    step.keypoints = std::min(static_cast<int32_t>(chosen.size()), kMaxQueryKeypoints);
    const std::vector<landmarks::SpectralPeak> peaks = extractor.Extract(heard).peaks;
    step.peaks = static_cast<int32_t>(peaks.size());
    step.peaksKept = KeptShare(reference, peaks);
    if (index) {
      step.searched = true;
      step.answer = SearchAnswer(*index, heard, step.peak, params, expectedTrack);
    }
    sweep.steps.push_back(step);
  }
  progress.Set(steps, steps);
  return sweep;
}

QList<QStringList> LevelSweep::Rows() const {
  QList<QStringList> rows;
  for (const Step& s : steps) {
    QStringList bands;
    for (const double b : s.meanBand) bands.append(Decimal(b, 0));
    rows.append({Decimal(s.gainDb, 0), QString::number(s.peak), QString::number(s.clipped),
                 bands.join(','), QStringLiteral("%1 / %2").arg(s.largestChange).arg(Decimal(s.meanChange, 1)),
                 Decimal(s.saturatedShare, 1), QString::number(s.keypoints),
                 QString::number(s.peaks), Decimal(s.peaksKept, 0), s.searched ? s.answer : QString()});
  }
  return rows;
}

QList<QPointF> LevelSweep::Band(int32_t band) const {
  QList<QPointF> points;
  for (const Step& s : steps) points.append({s.gainDb, s.meanBand[static_cast<size_t>(band)]});
  return points;
}

QList<QPointF> LevelSweep::LargestChanges() const {
  QList<QPointF> points;
  for (const Step& s : steps) points.append({s.gainDb, double(s.largestChange)});
  return points;
}

QList<QPointF> LevelSweep::PeaksKept() const {
  QList<QPointF> points;
  for (const Step& s : steps) points.append({s.gainDb, s.peaksKept});
  return points;
}

QString LevelSweep::Summary() const {
  if (steps.empty()) return {};
  if (keypointCount == 0) return QStringLiteral("В запросе нет ключевых точек.");
  QString text = QStringLiteral("Полосы измерены в %1 ключевых точках запроса при 0 дБ.").arg(keypointCount);
  // The widest run of levels around 0 dB at which every byte stays within Tb.
  const auto zero = std::find_if(steps.begin(), steps.end(), [](const Step& s) { return s.gainDb == 0; });
  if (zero != steps.end()) {
    auto low = zero, high = zero;
    while (low != steps.begin() && (low - 1)->largestChange <= bandTolerance) --low;
    while (high + 1 != steps.end() && (high + 1)->largestChange <= bandTolerance) ++high;
    text += QStringLiteral(" Каждый байт полос остаётся в допуске (%1) от %2 до %3 дБ: спектр кадра нормирован по "
                           "уровню.")
                .arg(bandTolerance)
                .arg(Decimal(low->gainDb, 0))
                .arg(Decimal(high->gainDb, 0));
  }
  const auto clipped = std::find_if(steps.begin(), steps.end(), [](const Step& s) { return s.clipped > 0; });
  if (clipped != steps.end()) {
    text += QStringLiteral(" Вершины срезаются с %1 дБ.").arg(Decimal(clipped->gainDb, 0));
  }
  double lowest = 1e9, highest = -1e9;
  for (const Step& s : steps) {
    if (!s.answer.startsWith(QStringLiteral("найден"))) continue;
    lowest = std::min(lowest, s.gainDb);
    highest = std::max(highest, s.gainDb);
  }
  if (steps.front().searched) {
    text += lowest <= highest ? QStringLiteral(" Поиск находит трек при уровнях от %1 до %2 дБ.")
                                    .arg(Decimal(lowest, 0))
                                    .arg(Decimal(highest, 0))
                              : QStringLiteral(" Поиск не находит трек ни на одном уровне.");
  }
  return text;
}

}  // namespace melo
