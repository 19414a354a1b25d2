#include "searcher/app/track_records.h"

#include "fingerprint/index_record.h"
#include "fingerprint/sample_buffer.h"
#include "searcher/app/debug_texts.h"
#include "searcher/engine/search_index.h"

#include <cstdlib>

namespace melo {

TrackRecords ReadTrackRecords(const SearchIndex& index, int32_t track, int32_t minimumAmplitude) {
  TrackRecords t;
  if (track < 0 || track >= index.TrackCount() || !index.tracks[track].loaded) return t;
  const TrackIndex& stored = index.tracks[track];
  const IndexDataView records({stored.records.data(), stored.records.size()});
  t.records = records.size();
  for (int32_t j = 0; j < records.size(); ++j) {
    const IndexRecord r = records[j];
    const int32_t amplitude = std::abs(int32_t{static_cast<int16_t>(r.amplitude)});
    bool bandsZero = true;
    for (const uint8_t b : r.bands) {
      bandsZero = bandsZero && b == 0;
      t.saturatedBytes += b == 255 ? 1 : 0;
    }
    QString note;
    if (amplitude == 0 && r.position == 0 && bandsZero) {
      ++t.withoutPeak;
      note = QStringLiteral("нет пика (тишина)");
    } else if (bandsZero) {
      ++t.zeroBands;
      note = QStringLiteral("пик у края трека: полос нет");
    } else if (amplitude < minimumAmplitude) {
      note = QStringLiteral("тихий пик: в тонком сравнении не участвует");
    }
    t.rows.append({QString::number(j), PlaceText(records.PeakSample(j)), QString::number(r.position),
                   QString::number(records.PeakSample(j)), QString::number(amplitude), BandText(r.bands.data()),
                   note});
  }
  return t;
}

QString TrackRecords::Summary(int32_t landmarks) const {
  const double seconds = records / 2.0;
  QString text = QStringLiteral("Записей %1 (%2 с): без пика %3, без полос %4; байтов полос на пределе 255: %5 "
                                "(%6 %).")
                     .arg(records)
                     .arg(Decimal(seconds, 1))
                     .arg(withoutPeak)
                     .arg(zeroBands)
                     .arg(saturatedBytes)
                     .arg(Decimal(records > 0 ? 100.0 * saturatedBytes / (8.0 * records) : 0.0, 1));
  text += landmarks < 0 ? QStringLiteral(" Ориентиров в памяти нет.")
                        : QStringLiteral(" Ориентиров %1 (%2 в секунду).")
                              .arg(landmarks)
                              .arg(Decimal(seconds > 0 ? landmarks / seconds : 0.0, 1));
  return text;
}

}  // namespace melo
