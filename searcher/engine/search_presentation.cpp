#include "searcher/engine/search_presentation.h"

#include "base/path_utils.h"
#include "base/text_format.h"
#include "fingerprint/sample_buffer.h"
#include "searcher/engine/search_index.h"

#include <QLocale>
#include <QMap>
#include <QRegularExpression>

namespace melo {

namespace {

// A track position as H:MM:SS.
QString PositionText(int64_t samples) { return FormatDuration(samples / kSampleRate, false); }

qsizetype LetterCount(const QString& text) {
  qsizetype n = 0;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    const bool latin = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    const bool cyrillic = (u >= 0x0400 && u <= 0x04FF);
    n += latin || cyrillic ? 1 : 0;
  }
  return n;
}

QString TitleFromTags(const QString& info) {
  static const QStringList keys = {"Artist", "Title", "Album", "Year", "Track", "Genre"};
  QMap<QString, QString> values;
  for (const QString& line : info.split(QLatin1Char('\n'))) {
    const QStringList parts = line.split(QLatin1Char(':'));
    if (parts.size() < 2) continue;
    const QString key = parts[0];
    if (keys.contains(key)) values[key] = parts[1].trimmed();
  }
  QString title;
  for (const QString& key : keys) {
    if (!values.value(key).isEmpty()) title += values[key] + QStringLiteral(" - ");
  }
  if (title.endsWith(QStringLiteral(" - "))) title.chop(3);
  if (title.size() < 4) {
    title = info;
    title.remove(QLatin1Char('\r')).replace(QLatin1Char('\n'), QStringLiteral(" - "));
  }
  return title;
}

QString TitleFromPath(const QString& path) {
  static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
  const QStringList parts = path.split(separators);
  const QString name = StripExtension(parts.last());
  const QString parent = parts.size() >= 2 ? parts[parts.size() - 2] : QString();
  const QString grandparent = parts.size() >= 3 ? parts[parts.size() - 3] : QString();
  for (const QString& candidate : {name, parent, grandparent}) {
    if (LetterCount(candidate) >= 11) return candidate;
  }
  return grandparent + QLatin1Char('/') + parent + QLatin1Char('/') + name;
}

const TrackInfo& InfoOf(const SearchIndex& index, int32_t track) {
  static const TrackInfo none;
  return track >= 0 && track < static_cast<int32_t>(index.infos.size()) ? index.infos[track] : none;
}

QString SearchSeconds(const SearchOutcome& outcome) { return QLocale().toString(outcome.searchMs / 1000.0, 'f', 3); }

}  // namespace

QString DisplayTitle(const TrackInfo& info) {
  if (!info.info.isEmpty()) return TitleFromTags(info.info);
  if (!info.source_path.isEmpty()) return TitleFromPath(info.source_path);
  return {};
}

QList<QPair<QString, QString>> ParameterRows(const SearchOutcome& outcome, const SearchIndex& index) {
  if (!outcome.Found()) return {};
  const ResultEntry& best = outcome.entries.front();
  const TrackInfo& info = InfoOf(index, best.track);
  QList<QPair<QString, QString>> rows = {
      {QStringLiteral("Позиция="), PositionText(best.position)},
      {QStringLiteral("Продолжительность="), FormatDuration(info.duration, false)},
      {QStringLiteral("Имя файла="), info.source_file_name},
      {QStringLiteral("Путь="), info.source_path},
      {QStringLiteral("Размер="), FormatThousands(info.source_size)},
      {QStringLiteral("Дата создания="), info.created},
      {QStringLiteral("MD5 хэш="), info.md5},
      {QStringLiteral("SHA2 хэш="), info.sha2},
      {QStringLiteral("Номер записи в базе="), QString::number(best.track)},
  };
  if (info.all_tracks > 1) {
    rows.append({QStringLiteral("Аудио дорожка="),
                 QStringLiteral("%1 из %2").arg(info.audio_track + 1).arg(info.all_tracks)});
  }
  if (outcome.robust) {
    rows.append({QStringLiteral("Оценка совпадения="), QLocale().toString(best.score / 10.0, 'f', 1)});
    rows.append({QStringLiteral("Совпавших ориентиров="), QString::number(best.insideFrames)});
  }
  rows.append({QStringLiteral("Время поиска="), SearchSeconds(outcome) + QStringLiteral(" сек")});
  return rows;
}

QString CounterSummary(const ScanCounters& t) {
  const int64_t rate = t.comparisons > 0 ? t.coarseMatches * 1000000 / t.comparisons : 0;
  return QString::number(rate * 0.0001, 'f', 2) + QStringLiteral("% ") +
         QStringLiteral("%1 - %2 - %3 - %4 - %5 - %6")
             .arg(t.framesExamined)
             .arg(t.comparisons)
             .arg(t.coarseMatches)
             .arg(t.windowsPassed)
             .arg(t.offered)
             .arg(t.accepted);
}

QStringList HistoryFields(const SearchOutcome& outcome, const SearchIndex& index) {
  QStringList fields = {outcome.queryTimeStamp, SearchSeconds(outcome)};
  if (outcome.Found()) {
    const ResultEntry& best = outcome.entries.front();
    fields << (outcome.confirmed ? QStringLiteral("OK") : QString()) << QString::number(best.position)
           << PositionText(best.position) << QString::number(best.track) << DisplayTitle(InfoOf(index, best.track))
           << CounterSummary(outcome.totals) << QString::number(best.maxBandDifference)
           << QString::number(best.envelope) << QString::number(best.score) << QString::number(best.insideFrames);
  } else {
    fields << QString() << QString() << QString() << QString() << QString() << CounterSummary(outcome.totals)
           << QString() << QString() << QString() << QString();
  }
  return fields;
}

QString HistoryLine(const SearchOutcome& outcome, const SearchIndex& index) {
  QStringList fields = HistoryFields(outcome, index);
  for (QString& field : fields) field = EscapeControls(field);
  return fields.join(QLatin1Char('\t'));
}

QList<QStringList> ResultRows(const SearchOutcome& outcome, const SearchIndex& index) {
  QList<QStringList> rows;
  for (int32_t r = 0; r < SearchResults::kCapacity; ++r) {
    if (r < static_cast<int32_t>(outcome.entries.size())) {
      const ResultEntry& e = outcome.entries[r];
      const TrackInfo& info = InfoOf(index, e.track);
      rows.append({QString::number(r + 1), QString::number(e.score), PositionText(e.position),
                   QStringLiteral("%1 из %2").arg(info.audio_track + 1).arg(info.all_tracks), DisplayTitle(info)});
    } else {
      rows.append(QStringList(5));
    }
  }
  return rows;
}

}  // namespace melo
