#pragma once

#include "searcher/app/sound_degradation.h"
#include "searcher/engine/search_parameters.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace melo {

class JobProgress;
struct SearchIndex;

// "Тестовое окружение": excerpts of the media files of a folder, cut at chance
// places, degraded as asked and searched in each chosen mode, as the program
// would search a query heard from them. A file the index holds (the same path,
// or the same name and size) must be found at its track and place; any answer
// for a file it does not hold is a false one.
struct RecallSettings {
  QString folder;
  int32_t excerptsPerFile = 5;
  int32_t seconds = 4;
  uint32_t seed = 1;
  std::vector<Degradation> degradations = {Degradation{}};
  std::vector<SearchMode> modes = {SearchMode::Fast};
  // The thresholds as they are now: the current mode searches with them (edited
  // ones too), the other modes with their own tolerances and the rest of these.
  SearchParameters base;
  SearchMode currentMode = SearchMode::Fast;
};

struct RecallExcerpt {
  QString file;
  int32_t expectedTrack = -1;  // -1: the index does not hold the file
  int64_t start = 0;           // the excerpt's first sample in the file
  int64_t length = 0;          // samples
  QString degradation;
  SearchMode mode = SearchMode::Fast;
  int32_t answeredTrack = -1;
  int64_t answeredPosition = 0;
  int32_t score = 0;
  double ms = 0;
  bool Right() const;  // the held file's track within a second of the place, or no answer for a stranger
  bool Answered() const { return answeredTrack >= 0; }
};

struct RecallReport {
  std::vector<RecallExcerpt> excerpts;
  int32_t files = 0;
  int32_t heldFiles = 0;  // files the index holds
  QStringList problems;   // files that could not be decoded, in English
  bool stopped = false;

  // Per degradation and mode: "Условие", "Режим", "Отрывков", "Верно", "Неверно", "Не найдено",
  // "Полнота, %", "Ложных ответов", "Среднее время, мс", "Наибольшее время, мс".
  QList<QStringList> SummaryRows() const;
  // Per excerpt: "Файл", "Начало, с", "Условие", "Режим", "Ожидается", "Ответ", "Позиция", "Оценка",
  // "Время, мс", "Итог".
  QList<QStringList> ExcerptRows(const SearchIndex& index) const;
  // Both tables as tab-separated lines, for a file.
  QStringList Lines(const SearchIndex& index) const;
};

// The modes' names as the menu shows them.
QString ModeName(SearchMode mode);

RecallReport RunRecallBench(const SearchIndex& index, const RecallSettings& settings, const QString& ffmpeg,
                            JobProgress& progress);

}  // namespace melo
