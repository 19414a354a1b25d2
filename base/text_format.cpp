#include "base/text_format.h"

#include <QLocale>
#include <algorithm>

namespace melo {

QString FormatThousands(int64_t n) {
  QString digits = QString::number(n);
  const bool negative = digits.startsWith(QLatin1Char('-'));
  if (negative) digits.remove(0, 1);
  QString out;
  for (qsizetype i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += QLatin1Char(' ');
    out += digits[i];
  }
  return negative ? QLatin1Char('-') + out : out;
}

QString FormatDuration(int64_t seconds, bool withTotal) {
  const int64_t shown = std::max<int64_t>(seconds, 0);
  const QString clock = QStringLiteral("%1:%2:%3")
                            .arg(shown / 3600)
                            .arg(shown % 3600 / 60, 2, 10, QLatin1Char('0'))
                            .arg(shown % 60, 2, 10, QLatin1Char('0'));
  if (!withTotal) return clock;
  return clock + QStringLiteral(" (") + FormatThousands(seconds) + QStringLiteral(" сек)");
}

QString FormatLocalDateTime(const QDateTime& moment) {
  return QLocale().toString(moment.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         moment.time().toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace melo
