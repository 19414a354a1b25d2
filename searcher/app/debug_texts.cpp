#include "searcher/app/debug_texts.h"

#include "base/text_format.h"
#include "fingerprint/index_record.h"
#include "fingerprint/sample_buffer.h"
#include "searcher/engine/search_index.h"
#include "searcher/engine/search_presentation.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

namespace melo {

QString PlaceText(int64_t samples) {
  const int64_t tenths = std::llabs(samples) * 10 / kSampleRate;
  return QStringLiteral("%1%2.%3")
      .arg(samples < 0 ? QStringLiteral("-") : QString())
      .arg(FormatDuration(tenths / 10, false))
      .arg(tenths % 10);
}

QString BandText(const uint8_t* bands) {
  QStringList values;
  for (int32_t m = 0; m < IndexRecord::kBands; ++m) values.append(QString::number(bands[m]));
  return values.join(',');
}

QString BandDifferenceText(const uint8_t* a, const uint8_t* b) {
  int32_t sum = 0, largest = 0;
  for (int32_t m = 0; m < IndexRecord::kBands; ++m) {
    const int32_t e = std::abs(int32_t{a[m]} - int32_t{b[m]});
    sum += e;
    largest = std::max(largest, e);
  }
  return QStringLiteral("%1 / %2").arg(sum).arg(largest);
}

QString TrackTitle(const SearchIndex& index, int32_t track) {
  if (track < 0 || track >= static_cast<int32_t>(index.infos.size())) return {};
  return DisplayTitle(index.infos[static_cast<size_t>(track)]);
}

QString Decimal(double value, int decimals) { return QLocale().toString(value, 'f', decimals); }

QString MsText(double ms) { return Decimal(ms, 2); }

}  // namespace melo
