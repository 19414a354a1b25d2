#include "searcher/app/coarse_loop_timing.h"

#include "base/text_format.h"
#include "fingerprint/index_record.h"
#include "searcher/app/background_job.h"
#include "searcher/app/debug_texts.h"
#include "searcher/app/direct_search.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/search_index.h"

#include <QElapsedTimer>
#include <cstdlib>

namespace melo {

namespace {

constexpr double kHourRecords = 7200;

// The coarse test as the cascade defines it: each band within Tb, stopping at the
// first that is not, then the sum within Ts. Counted over the frames a full scan
// looks at: those with a peak, up to the last 2Q frames of a track.
void PlainLoop(const SearchIndex& index, const std::vector<QueryKeypoint>& keypoints, const SearchParameters& p,
               CoarseLoopTiming::Way& way) {
  const int32_t tail = 2 * p.querySeconds;
  for (const TrackIndex& track : index.tracks) {
    if (!track.loaded) continue;
    const uint8_t* records = track.records.data();
    for (int32_t i = 0; i < track.count - tail; ++i) {
      const uint8_t* r = records + IndexRecord::kSize * static_cast<size_t>(i);
      if (r[2] == 0 && r[3] == 0) continue;  // no peak
      const uint8_t* bands = r + 4;
      for (const QueryKeypoint& k : keypoints) {
        ++way.comparisons;
        int32_t sum = 0;
        bool within = true;
        for (int32_t m = 0; m < IndexRecord::kBands && within; ++m) {
          const int32_t d = std::abs(int32_t{bands[m]} - int32_t{k.bands[m]});
          within = d <= p.bandTolerance;
          sum += d;
        }
        way.matches += within && sum <= p.sumTolerance ? 1 : 0;
      }
    }
  }
}

}  // namespace

CoarseLoopTiming TimeCoarseLoop(const SearchIndex& index, const std::vector<int16_t>& samples,
                                const SearchParameters& params, int32_t repeats, JobProgress& progress) {
  CoarseLoopTiming timing;
  timing.repeats = std::max(repeats, int32_t{1});
  timing.hours = static_cast<double>(index.totalRecords) / kHourRecords;
  // The robust mode's query holds the plain key points beside its landmarks: the
  // loop compares those.
  AudioQuery query;
  timing.searchable = query.Create(samples.data(), static_cast<int32_t>(samples.size()), params.analysis) &&
                      !query.Keypoints().empty();
  if (!timing.searchable) return timing;
  SearchParameters described = params;
  described.analysis = params.analysis == QueryAnalysis::Landmarks ? QueryAnalysis::Plain : params.analysis;
  const bool robust = params.analysis == QueryAnalysis::Landmarks;
  const int32_t steps = timing.repeats * (robust ? 4 : 3);
  int32_t step = 0;

  CoarseLoopTiming::Way plain{QStringLiteral("Простой цикл по байтам")};
  CoarseLoopTiming::Way scan{QStringLiteral("Полный просмотр программы")};
  CoarseLoopTiming::Way filtered{QStringLiteral("Полосовой фильтр программы")};
  CoarseLoopTiming::Way lookup{QStringLiteral("Поиск ориентиров")};
  for (int32_t r = 0; r < timing.repeats && !progress.Stopped(); ++r) {
    progress.SetStage(QStringLiteral("Повтор %1 из %2").arg(r + 1).arg(timing.repeats));
    QElapsedTimer clock;
    clock.start();
    PlainLoop(index, query.Keypoints(), described, plain);
    plain.ms += clock.nsecsElapsed() / 1e6;
    progress.Set(++step, steps);
    // A fresh query each time: its band cache would make later repeats faster.
    for (CoarseLoopTiming::Way* way : {&scan, &filtered}) {
      AudioQuery fresh;
      fresh.Create(samples.data(), static_cast<int32_t>(samples.size()), described.analysis);
      const DirectSearch s = SearchDirectly(
          index, fresh, described, way == &scan ? CoarseMatches::EveryFrame : CoarseMatches::AsTheProgram);
      way->comparisons += s.counters.comparisons;
      way->matches += s.counters.coarseMatches;
      way->ms += s.ms;
      if (way == &filtered && !s.filtered) way->name = QStringLiteral("Полосовой фильтр (не окупается: полный просмотр)");
      progress.Set(++step, steps);
    }
    if (robust) {
      const DirectSearch s = SearchDirectly(index, query, params, CoarseMatches::AsTheProgram);
      lookup.comparisons += s.counters.comparisons;  // stored landmarks met
      lookup.matches += s.counters.coarseMatches;    // offsets more than one agrees on
      lookup.ms += s.ms;
      progress.Set(++step, steps);
    }
  }
  timing.repeats = std::max<int32_t>(1, step / (robust ? 4 : 3));
  timing.frames = plain.comparisons / timing.repeats / static_cast<int64_t>(query.Keypoints().size());
  timing.ways = {plain, scan, filtered};
  if (robust) timing.ways.push_back(lookup);
  timing.countsAgree = plain.matches == scan.matches && plain.matches == filtered.matches &&
                       plain.comparisons == scan.comparisons;
  return timing;
}

QList<QStringList> CoarseLoopTiming::Rows() const {
  QList<QStringList> rows;
  for (const Way& w : ways) {
    const double perComparison = w.comparisons > 0 ? w.ms * 1e6 / static_cast<double>(w.comparisons) : 0;
    const double perSecond = w.ms > 0 ? static_cast<double>(w.comparisons) / (w.ms * 1e3) : 0;
    const double hoursPerSecond = w.ms > 0 ? hours * repeats / (w.ms / 1e3) : 0;
    rows.append({w.name, FormatThousands(w.comparisons / repeats), FormatThousands(w.matches / repeats),
                 MsText(w.ms / repeats), Decimal(perComparison, 2), Decimal(perSecond, 1),
                 Decimal(hoursPerSecond, 0)});
  }
  return rows;
}

QString CoarseLoopTiming::Summary() const {
  if (!searchable) return QStringLiteral("В запросе нет ключевых точек: сравнивать нечего.");
  return QStringLiteral("Повторов: %1; кадров с пиком: %2 (%3 ч аудио). %4")
      .arg(repeats)
      .arg(FormatThousands(frames))
      .arg(Decimal(hours, 2))
      .arg(countsAgree ? QStringLiteral("Все способы нашли одинаковое число совпадений.")
                       : QStringLiteral("Число совпадений РАЗЛИЧАЕТСЯ: быстрый путь программы ошибается!"));
}

}  // namespace melo
