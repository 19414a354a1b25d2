#include "searcher/app/search_history.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>

namespace melo {

namespace {

const QString kTab = QStringLiteral("\t");

QString Decimal(double value) { return QLocale().toString(value, 'f', 3); }

QString Percent(int part, int whole) { return QString::number(whole > 0 ? part * 100 / whole : 0); }

int Integer(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  return ok ? value : 0;
}

}  // namespace

double LocaleNumber(const QString& text) {
  bool ok = false;
  const double value = QLocale().toDouble(text, &ok);
  if (ok) return value;
  const double plain = QLocale::c().toDouble(text, &ok);
  return ok ? plain : 0.0;
}

void SearchHistory::Append(const QString& line) {
  lines_.append(line);
  while (lines_.size() > kLimit) lines_.removeFirst();
}

void SearchHistory::ConfirmLastRecord() {
  if (lines_.isEmpty()) return;
  QStringList fields = lines_.last().split(kTab);
  if (fields.size() <= kConfirmation || fields[kConfirmation] == QLatin1String("OK")) return;
  fields[kConfirmation] = QStringLiteral("OK");
  lines_.last() = fields.join(kTab);
}

QStringList SearchHistory::Fields(const QString& line) {
  QStringList fields = line.split(kTab);
  while (fields.size() < kFieldCount) fields.append(QString());
  return fields;
}

SearchHistory::Summary SearchHistory::Summarize(const Filters& filters) const {
  Summary s;
  const int n = Count();
  s.status = QStringList(5);
  s.status[0] = QStringLiteral("Количество записей: %1").arg(n);
  if (n == 0) return s;

  double timeMin = 100000000.0, timeMax = 0, timeSum = 0;
  int differenceMin = 100000, differenceMax = 0, differenceCount = 0;
  int64_t differenceSum = 0;
  for (int i = 0; i < n; ++i) {
    const QStringList fields = Fields(lines_[i]);
    const double t = LocaleNumber(fields[kSearchTime]);
    timeMin = std::min(timeMin, t);
    timeMax = std::max(timeMax, t);
    timeSum += t;
    const bool found = Found(fields);
    if (found) {
      const int v = Integer(fields[kEnvelope]);
      differenceMin = std::min(differenceMin, v);
      differenceMax = std::max(differenceMax, v);
      differenceSum += v;
      ++differenceCount;
      ++s.found;
      ++(Confirmed(fields) ? s.confirmed : s.notConfirmed);
    } else {
      ++s.notFound;
    }
    if ((!found && filters.foundOnly) || (filters.confirmedOnly && !Confirmed(fields))) continue;
    s.shown.append(i);
  }

  s.statistics = {QStringLiteral("Время поиска (минимум)=") + Decimal(timeMin),
                  QStringLiteral("Время поиска (максимум)=") + Decimal(timeMax),
                  QStringLiteral("Время поиска (среднее)=") + Decimal(timeSum / n)};
  if (differenceCount > 0) {
    s.statistics << QStringLiteral("Разница (минимум)=%1").arg(differenceMin)
                 << QStringLiteral("Разница (максимум)=%1").arg(differenceMax)
                 << QStringLiteral("Разница (среднее)=%1").arg(differenceSum / differenceCount);
  }
  s.status[1] = QStringLiteral("Найдено: %1 (%2%)").arg(s.found).arg(Percent(s.found, n));
  s.status[2] = QStringLiteral("Не найдено: %1 (%2%)").arg(s.notFound).arg(Percent(s.notFound, n));
  s.status[3] = QStringLiteral("Подтверждено: %1 (%2%)").arg(s.confirmed).arg(Percent(s.confirmed, n));
  s.status[4] = QStringLiteral("Не подтверждено: %1 (%2%)").arg(s.notConfirmed).arg(Percent(s.notConfirmed, n));
  return s;
}

QList<QStringList> SearchHistory::UniqueTitles(bool confirmedOnly, bool byCount) const {
  QStringList titles;
  QList<int> counts;
  for (const QString& line : lines_) {
    const QStringList fields = Fields(line);
    const QString& title = fields[kTitle];
    if (title.isEmpty() || (confirmedOnly && !Confirmed(fields))) continue;
    const qsizetype at = titles.indexOf(title);
    if (at >= 0) {
      ++counts[at];
    } else {
      titles.append(title);
      counts.append(1);
    }
  }
  // Sorted as text, the count padded to four places first: read backwards, the
  // largest count comes first and equal counts show their titles descending.
  QStringList entries;
  for (qsizetype i = 0; i < titles.size(); ++i) {
    entries.append(byCount ? QString::asprintf("%4d", counts[i]) + kTab + titles[i]
                           : titles[i] + kTab + QString::number(counts[i]));
  }
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::sort(entries.begin(), entries.end(), collator);
  if (byCount) std::reverse(entries.begin(), entries.end());

  QList<QStringList> rows;
  for (qsizetype r = 0; r < entries.size(); ++r) {
    const qsizetype tab = byCount ? entries[r].indexOf(kTab) : entries[r].lastIndexOf(kTab);
    const QString left = entries[r].left(tab), right = entries[r].mid(tab + 1);
    rows.append({QString::number(r + 1), byCount ? left : right, byCount ? right : left});
  }
  return rows;
}

QList<QPointF> SearchHistory::SearchTimes() const {
  QList<QPointF> points;
  const int s = std::max(0, Count() - 100);
  for (int i = s; i < Count(); ++i) points.append({double(i - s), LocaleNumber(Fields(lines_[i])[kSearchTime])});
  return points;
}

std::array<int, SearchHistory::kReasonCount> SearchHistory::FailureReasons() const {
  std::array<int, kReasonCount> reasons{};
  for (const QString& line : lines_) {
    const QStringList fields = Fields(line);
    if (!fields[kPosition].isEmpty()) continue;
    // "rate% frames - comparisons - coarse - envelope passed - offered - accepted":
    // the first of the last four stages that nothing reached is the reason.
    const QStringList pieces = fields[kCounters].split(QStringLiteral(" - "));
    for (int stage = 0; stage < kReasonCount; ++stage) {
      if (Integer(pieces.value(stage + 2)) == 0) {
        ++reasons[stage];
        break;
      }
    }
  }
  return reasons;
}

}  // namespace melo
