#include "searcher/app/full_search.h"

#include "landmarks/landmark_settings.h"
#include "searcher/app/background_job.h"
#include "searcher/app/debug_texts.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/search_index.h"

#include <algorithm>

namespace melo {

namespace {

QString SearchText(const DirectSearch& s) {
  // A landmark search's counters (LandmarkMatcher) mean other things than the
  // cascade's, in the same places.
  static const QStringList kCascade = {QStringLiteral("кадров"), QStringLiteral("сравнений"),
                                       QStringLiteral("совпадений"), QStringLiteral("проверок амплитуд"),
                                       QStringLiteral("кандидатов")};
  static const QStringList kLandmarks = {QStringLiteral("ориентиров запроса искалось"),
                                         QStringLiteral("встречено ориентиров базы"),
                                         QStringLiteral("смещений с двумя голосами и более"),
                                         QStringLiteral("кандидатов"), QStringLiteral("проверено")};
  const QStringList& names = s.robust ? kLandmarks : kCascade;
  const int64_t counts[] = {s.counters.framesExamined, s.counters.comparisons, s.counters.coarseMatches,
                            s.counters.windowsPassed, s.counters.offered};
  QString text = MsText(s.ms) + QStringLiteral(" мс");
  for (int i = 0; i < names.size(); ++i) text += QStringLiteral(", %1 %2").arg(names[i]).arg(counts[i]);
  return text + QStringLiteral(", ответов %1").arg(s.entries.size());
}

}  // namespace

bool FullSearchRun::Agree() const {
  if (robust) return true;
  if (program.entries.size() != everyFrame.entries.size()) return false;
  for (size_t i = 0; i < program.entries.size(); ++i) {
    const ResultEntry& a = program.entries[i];
    const ResultEntry& b = everyFrame.entries[i];
    if (a.track != b.track || a.position != b.position || a.score != b.score) return false;
  }
  return true;
}

QString FullSearchRun::Summary() const {
  if (!searchable) return QStringLiteral("В запросе мало ключевых точек: искать нечего.");
  if (robust && !hasLandmarks) {
    return QStringLiteral("В базе данных нет ориентиров: устойчивый поиск ничего не найдёт. Ориентиры добавляет "
                          "программа Melobank.");
  }
  if (robust) {
    const QString program_ = QStringLiteral("Как ищет программа (%1 голосов на смещение, оценка от %2): %3.")
                                 .arg(votesNeeded)
                                 .arg(scoreNeeded)
                                 .arg(SearchText(program));
    if (ranking.empty()) return program_ + QStringLiteral(" Ни один трек не разделяет с запросом ни одного ориентира.");
    return program_ + QStringLiteral(" Все треки с общими ориентирами: %1, лучший набрал %2.")
                          .arg(ranking.size())
                          .arg(ranking.front().score);
  }
  return QStringLiteral("Как ищет программа (%1): %2.\nПолный просмотр всех кадров: %3.\n%4")
      .arg(program.filtered ? QStringLiteral("с полосовым фильтром") : QStringLiteral("фильтр не окупается, "
                                                                                    "просмотр всех кадров"))
      .arg(SearchText(program), SearchText(everyFrame))
      .arg(program.stopped || everyFrame.stopped
               ? QStringLiteral("Поиск остановлен: ответы не сравниваются.")
               : Agree() ? QStringLiteral("Ответы совпадают: фильтр ничего не потерял.")
                         : QStringLiteral("Ответы РАЗЛИЧАЮТСЯ: фильтр потерял совпадения!"));
}

FullSearchRun RunFullSearch(const SearchIndex& index, const std::vector<int16_t>& samples,
                            const SearchParameters& params, JobProgress& progress) {
  FullSearchRun run;
  run.robust = params.analysis == QueryAnalysis::Landmarks;
  run.scoreNeeded = params.landmarkScore;
  run.votesNeeded = params.landmarkVotes;
  run.queryLength = static_cast<int32_t>(samples.size());
  run.hasLandmarks = index.landmarks && index.landmarkTracks > 0;
  AudioQuery query;
  run.searchable = query.Create(samples.data(), static_cast<int32_t>(samples.size()), params.analysis);
  if (!run.searchable) return run;
  const auto stop = [&progress] { return progress.Stopped(); };
  progress.SetStage(QStringLiteral("Поиск как в программе"));
  progress.Set(0, 2);
  run.program = SearchDirectly(index, query, params, CoarseMatches::AsTheProgram, stop);
  progress.Set(1, 2);
  if (run.robust) {
    progress.SetStage(QStringLiteral("Проверка всех треков"));
    run.ranking = RankByLandmarks(index, query, params);
  } else {
    progress.SetStage(QStringLiteral("Просмотр всех кадров"));
    // The band cache the first search filled would make the second look faster.
    AudioQuery fresh;
    fresh.Create(samples.data(), static_cast<int32_t>(samples.size()), params.analysis);
    run.everyFrame = SearchDirectly(index, fresh, params, CoarseMatches::EveryFrame, stop);
  }
  progress.Set(2, 2);
  return run;
}

QList<QStringList> EntryRows(const std::vector<ResultEntry>& entries, const SearchIndex& index) {
  QList<QStringList> rows;
  for (size_t i = 0; i < entries.size(); ++i) {
    const ResultEntry& e = entries[i];
    rows.append({QString::number(i + 1), QString::number(e.track), TrackTitle(index, e.track), PlaceText(e.position),
                 QString::number(e.score), QString::number(e.maxBandDifference), QString::number(e.insideFrames)});
  }
  return rows;
}

QList<QStringList> RankingRows(const FullSearchRun& run, const SearchIndex& index) {
  QList<QStringList> rows;
  for (size_t i = 0; i < run.ranking.size(); ++i) {
    const LandmarkRanking& r = run.ranking[i];
    QString verdict = QStringLiteral("да");
    if (r.votes < run.votesNeeded) {
      verdict = QStringLiteral("нет: голосов меньше %1").arg(run.votesNeeded);
    } else if (r.score < run.scoreNeeded) {
      verdict = QStringLiteral("нет: оценка ниже %1").arg(run.scoreNeeded);
    } else if (std::none_of(run.program.entries.begin(), run.program.entries.end(),
                            [&](const ResultEntry& e) { return e.track == r.track; })) {
      // The program verifies only the tracks with the most votes.
      verdict = QStringLiteral("нет: не среди лучших по голосам");
    }
    // Where the query ends in the track, as the answers say it.
    const int64_t end = int64_t{r.offset} * landmarks::kInputSamplesPerHop + run.queryLength;
    rows.append({QString::number(i + 1), QString::number(r.track), TrackTitle(index, r.track), PlaceText(end),
                 QString::number(r.votes), QString::number(r.matched), QString::number(r.score), verdict});
  }
  return rows;
}

}  // namespace melo
