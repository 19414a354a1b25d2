#pragma once

#include <QList>
#include <QStringList>
#include <cstdint>

namespace melo {

class AudioQuery;
class JobProgress;
struct SearchIndex;

// "Кол-во данных" and "Размер записи": what the loaded index holds, counted over
// every record, and what each of its structures costs in memory, beside the
// current query's own. Both counts come from the same pass, so the two tables
// always describe the same index.
struct IndexCensus {
  // Counted over the records.
  int64_t records = 0;
  int64_t withoutPeak = 0;
  int64_t zeroBands = 0;
  int64_t saturatedBytes = 0;  // band bytes at 255
  int64_t infoBytes = 0;       // the texts of every row

  // "Величина", "Значение".
  QList<QStringList> counts;
  // "Структура", "Элементов", "Байт на элемент", "Всего, байт", "На час аудио, байт".
  QList<QStringList> sizes;
  // "Трек", "Название", "Записей", "Длительность", "Без пика", "Ориентиров", "Ориентиров в секунду".
  QList<QStringList> tracks;
};

// `query` may be null (no search yet). Stops early when asked.
IndexCensus TakeCensus(const SearchIndex& index, const AudioQuery* query, JobProgress* progress = nullptr);

// One stored record byte by byte with what each field means; empty for a record
// the index does not hold.
QString RecordLayout(const SearchIndex& index, int32_t track, int32_t frame);

}  // namespace melo
