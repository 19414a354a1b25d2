#include "base/text_format.h"

#include <QLocale>

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

namespace {

QString Clock(int64_t seconds) {
  if (seconds < 0) seconds = 0;
  const int64_t hours = seconds / 3600;
  const int64_t minutes = seconds % 3600 / 60;
  const int64_t rest = seconds % 60;
  return QStringLiteral("%1:%2:%3")
      .arg(hours)
      .arg(minutes, 2, 10, QLatin1Char('0'))
      .arg(rest, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString FormatDuration(int64_t seconds, bool withTotal) {
  const QString clock = Clock(seconds);
  if (!withTotal) return clock;
  return clock + QStringLiteral(" (") + FormatThousands(seconds) + QStringLiteral(" сек)");
}

QString FormatDurationEn(int64_t seconds) {
  return Clock(seconds) + QStringLiteral(" (") + FormatThousands(seconds) + QStringLiteral(" sec)");
}

QString FormatLocalDateTime(const QDateTime& moment) {
  return QLocale().toString(moment.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
         moment.time().toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace melo
