#include "base/text_format.h"

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
  // One form whatever the system's locale: the text is stored in the database, and
  // every front end must write the same.
  return moment.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString EscapeControls(const QString& text, bool keepLayout) {
  const auto isControl = [](char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); };
  if (std::none_of(text.begin(), text.end(), [&](QChar c) { return isControl(c.unicode()); })) return text;
  QString out;
  out.reserve(text.size() + 8);
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (!isControl(u) || (keepLayout && (u == u'\t' || u == u'\n'))) {
      out += c;
    } else if (u == u'\t') {
      out += QLatin1String("\\t");
    } else if (u == u'\n') {
      out += QLatin1String("\\n");
    } else if (u == u'\r') {
      out += QLatin1String("\\r");
    } else {
      out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
    }
  }
  return out;
}

}  // namespace melo
