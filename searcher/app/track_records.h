#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace melo {

struct SearchIndex;

// "Просмотр записей": a track's fingerprint as the searcher holds it in memory.
struct TrackRecords {
  int32_t records = 0;
  int32_t withoutPeak = 0;    // silent windows: all twelve bytes zero
  int32_t zeroBands = 0;      // a peak at the track's edge: no spectrum
  int32_t saturatedBytes = 0; // band bytes at their ceiling (255)
  // "Кадр", "Время", "Позиция", "Отсчёт в треке", "Амплитуда", "Полосы", "Примечание".
  QList<QStringList> rows;

  // What the records say as a whole, with the track's landmarks when known
  // (-1: the index has none for it).
  QString Summary(int32_t landmarks) const;
};

// Empty for a track the index does not hold (or could not read). Peaks below
// `minimumAmplitude` (Amin) are noted: the fine comparison leaves them out.
TrackRecords ReadTrackRecords(const SearchIndex& index, int32_t track, int32_t minimumAmplitude);

}  // namespace melo
