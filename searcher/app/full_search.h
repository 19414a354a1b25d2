#pragma once

#include "searcher/app/direct_search.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace melo {

class JobProgress;
struct SearchIndex;

// "Полный поиск": the last query searched as the program searches it and without
// the shortcuts, to see whether they lost the answer. In the described modes the
// second search takes its coarse matches from every frame instead of the band
// filter; in the robust mode every track that shares a landmark with the query is
// verified at its best offset, so the right track's score shows even when it
// fell short.
struct FullSearchRun {
  bool searchable = false;  // the query gave key points (or landmarks)
  bool robust = false;
  bool hasLandmarks = false;  // the index holds some
  DirectSearch program;
  DirectSearch everyFrame;              // described modes
  std::vector<LandmarkRanking> ranking;  // robust mode
  int32_t scoreNeeded = 0;
  int32_t votesNeeded = 0;
  int32_t queryLength = 0;  // samples

  // The two searches name the same answers (track, position and score, in order).
  bool Agree() const;
  QString Summary() const;
};

FullSearchRun RunFullSearch(const SearchIndex& index, const std::vector<int16_t>& samples,
                            const SearchParameters& params, JobProgress& progress);

// "№", "Трек", "Название", "Позиция", "Оценка", then "Разница в спектрах" and
// "Точек", or after a robust search "Голосов" and "Ориентиров".
QList<QStringList> EntryRows(const std::vector<ResultEntry>& entries, const SearchIndex& index);
// "№", "Трек", "Название", "Позиция", "Голосов", "Ориентиров", "Оценка", "Ответ".
QList<QStringList> RankingRows(const FullSearchRun& run, const SearchIndex& index);

}  // namespace melo
