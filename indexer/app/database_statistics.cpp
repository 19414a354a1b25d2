#include "indexer/app/database_statistics.h"

#include "fingerprint/index_record.h"
#include "indexer/database/database_lock.h"
#include "landmarks/landmark_blob.h"

#include <QRandomGenerator>
#include <algorithm>

namespace melo {

namespace {

constexpr BgrColour kRed = 255;
constexpr BgrColour kGreen = 32768;
constexpr BgrColour kYellow = 65535;
constexpr BgrColour kBlue = 16711680;

// Totals by their place in the list; the charts of media types read them.
enum Total {
  kTracks, kHours, kLandmarkTracks, kLandmarkHours, kAudioTracks, kAudioHours, kVideoTracks, kVideoHours, kSourceMb, kIndexMb,
  kAudioTagged, kAudioUntagged, kVideoTagged, kVideoUntagged
};

struct TotalStatement {
  const char* name;
  QString sql;
};

// The rows whose landmarks a search can use: of the current version. (Whether
// their blobs are whole the check finds out; counting them here would read them.)
QString WithLandmarks(const QString& what) {
  return QStringLiteral("SELECT %1 AS res FROM data JOIN Landmarks ON Landmarks.id = data.id "
                        "WHERE Landmarks.version = %2")
      .arg(what)
      .arg(landmarks::kLandmarkVersion);
}

QList<TotalStatement> TotalStatements() {
  return {
      {"Всего аудио дорожек=", "SELECT COUNT(*) AS res FROM data"},
      {"Всего часов=", "SELECT SUM(duration) / 3600 AS res FROM data"},
      // A file without the landmark table fails these: 0, as it has none.
      {"Дорожек с ориентирами=", WithLandmarks(QStringLiteral("COUNT(*)"))},
      {"Часов с ориентирами=", WithLandmarks(QStringLiteral("SUM(data.duration) / 3600"))},
      {"Аудио дорожек из аудио файлов=", "SELECT COUNT(*) AS res FROM data WHERE type = 'аудио'"},
      {"Аудио часов=", "SELECT SUM(duration) / 3600 AS res FROM data WHERE type = 'аудио'"},
      {"Аудио дорожек из видео файлов=", "SELECT COUNT(*) AS res FROM data WHERE type = 'видео'"},
      {"Видео часов=", "SELECT SUM(duration) / 3600 AS res FROM data WHERE type = 'видео'"},
      {"Суммарный объём исходников (МБ)=", "SELECT SUM(source_size) / (1024 * 1024) AS res FROM data"},
      {"Суммарный объём индексов  (МБ)=",
       QStringLiteral("SELECT SUM(records * %1) / (1024 * 1024) AS res FROM data").arg(IndexRecord::kSize)},
      {"Содержат доп. информацию (аудио)=", "SELECT COUNT(*) AS res FROM data WHERE info != '' AND type = 'аудио'"},
      {"Не содержат доп. информацию (аудио)=", "SELECT COUNT(*) AS res FROM data WHERE info = '' AND type = 'аудио'"},
      {"Содержат доп. информацию (видео)=", "SELECT COUNT(*) AS res FROM data WHERE info != '' AND type = 'видео'"},
      {"Не содержат доп. информацию (видео)=", "SELECT COUNT(*) AS res FROM data WHERE info = '' AND type = 'видео'"},
  };
}

// Whether the table can be read at all. Every statement on a file that another
// program holds locked waits the connection's busy time-out before failing, so
// a locked file is found out once rather than seventeen times.
bool TableReadable(TDataModule1& store) {
  QStringList pars, vals;
  return store.QueryPairs(QStringLiteral("SELECT 0 AS par, COUNT(*) AS val FROM data"), pars, vals);
}

BgrColour TableColour(const ColourTable& colours, qsizetype row) {
  return colours[static_cast<size_t>(row) % colours.size()];
}

// One slice per row of a statement with the columns "par" and "val".
void ReadGroups(TDataModule1& store, const QString& sql, const ColourTable& colours, StatisticsChart& chart) {
  QStringList pars, vals;
  store.QueryPairs(sql, pars, vals);  // a failure leaves what was read so far
  for (qsizetype i = 0; i < pars.size() && i < vals.size(); ++i) {
    chart.slices.append({pars[i], vals[i].toLongLong(), TableColour(colours, i)});
  }
}

// Ten-minute buckets of the track duration; the bucket number p reads "10p-10p+10 минут".
void ReadDurations(TDataModule1& store, const ColourTable& colours, StatisticsChart& chart) {
  QStringList pars, vals;
  store.QueryPairs(QStringLiteral("SELECT CAST(ROUND(duration / (60 * 10)) AS INTEGER) AS par, COUNT(*) AS val "
                                  "FROM data GROUP BY par ORDER BY par"),
                   pars, vals);
  for (qsizetype i = 0; i < pars.size() && i < vals.size(); ++i) {
    const int bucket = pars[i].toInt();
    chart.slices.append({QStringLiteral("%1-%2 минут").arg(10 * bucket).arg(10 * bucket + 10),
                         vals[i].toLongLong(), TableColour(colours, i)});
  }
}

}  // namespace

ColourTable MakeColourTable(QRandomGenerator& random) {
  ColourTable table{};
  for (BgrColour& colour : table) {
    const BgrColour blue = random.generate() % 255;
    const BgrColour green = random.generate() % 255;
    const BgrColour red = random.generate() % 255;
    colour = blue * 65536 + green * 256 + red;
  }
  return table;
}

DatabaseStatistics DatabaseStatistics::Read(TDataModule1& store, const ColourTable& colours) {
  DatabaseLock lock(store, TDataModule1::kSharedOwner);
  DatabaseStatistics s;
  s.readable = TableReadable(store);
  for (const TotalStatement& total : TotalStatements()) {
    s.totals.append({QString::fromUtf8(total.name), s.readable ? store.QueryScalar(total.sql) : 0});
  }
  const auto value = [&s](Total t) { return s.totals[t].value; };

  s.filesByType = {{"Распределение количества файлов ", "в зависимости от типа данных"},
                   {{"Аудио", value(kAudioTracks), kRed}, {"Видео", value(kVideoTracks), kGreen}}};
  s.hoursByType = {{"Распределение по часам ", "в зависимости от типа данных"},
                   {{"Аудио", value(kAudioHours), kRed}, {"Видео", value(kVideoHours), kGreen}}};
  // Counted in tracks, which a small database has, rather than in whole hours.
  const int64_t landmarkTracks = value(kLandmarkTracks);
  s.filesByLandmarks = {{"Распределение количества аудио дорожек ", "в зависимости от наличия ориентиров"},
                        {{"С ориентирами", landmarkTracks, kGreen},
                         {"Без ориентиров", std::max<int64_t>(0, value(kTracks) - landmarkTracks), kRed}}};
  s.tags = {{"Наличие ID3 тегов или описания ", "в зависимости от типа данных"},
            {{"Аудио +", value(kAudioTagged), kRed},
             {"Аудио -", value(kAudioUntagged), kYellow},
             {"Видео +", value(kVideoTagged), kGreen},
             {"Видео -", value(kVideoUntagged), kBlue}}};
  s.filesByExtension.title = QStringList{"Распределение количества файлов ", "в зависимости от расширения"};
  s.hoursByExtension.title = QStringList{"Распределение по часам ", "в зависимости от расширения"};
  s.tracksPerFile.title = QStringList{"Распределение количества файлов", "в зависимости от количества аудио дорожек"};
  s.durations.title = QStringList{"Количество аудио дорожек в зависимости от их продолжительности в минутах"};
  if (!s.readable) return s;

  ReadGroups(store, QStringLiteral("SELECT extension AS par, count(*) AS val FROM data GROUP BY extension"), colours,
             s.filesByExtension);
  ReadGroups(store,
             QStringLiteral("SELECT extension AS par, ROUND(SUM(duration) / 3600) AS val FROM data GROUP BY extension"),
             colours, s.hoursByExtension);
  ReadGroups(store,
             QStringLiteral("SELECT all_tracks AS par, COUNT(*) AS val FROM data GROUP BY all_tracks ORDER BY all_tracks"),
             colours, s.tracksPerFile);
  ReadDurations(store, colours, s.durations);
  return s;
}

}  // namespace melo
