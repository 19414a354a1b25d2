#include "searcher/app/index_census.h"

#include "base/text_format.h"
#include "fingerprint/index_record.h"
#include "searcher/app/background_job.h"
#include "searcher/app/debug_texts.h"
#include "searcher/engine/audio_query.h"
#include "searcher/engine/search_index.h"

namespace melo {

namespace {

constexpr double kHourRecords = 7200;

QString Thousands(int64_t n) { return FormatThousands(n); }

int64_t TextBytes(const TrackInfo& t) {
  int64_t bytes = 0;
  for (const QString* s : {&t.sha2, &t.md5, &t.source_path, &t.source_file_name, &t.extension, &t.type, &t.created,
                           &t.info}) {
    bytes += static_cast<int64_t>(s->capacity()) * 2;
  }
  return bytes;
}

void CountTrack(const TrackIndex& track, int64_t& withoutPeak, int64_t& zeroBands, int64_t& saturated) {
  const uint8_t* r = track.records.data();
  for (int32_t j = 0; j < track.count; ++j, r += IndexRecord::kSize) {
    bool bandsZero = true;
    for (int32_t m = 4; m < 12; ++m) {
      bandsZero = bandsZero && r[m] == 0;
      saturated += r[m] == 255 ? 1 : 0;
    }
    const bool noPeak = bandsZero && r[0] == 0 && r[1] == 0 && r[2] == 0 && r[3] == 0;
    withoutPeak += noPeak ? 1 : 0;
    zeroBands += bandsZero && !noPeak ? 1 : 0;
  }
}

QStringList SizeRow(const QString& name, int64_t items, int64_t bytes, double hours) {
  return {name, items > 0 ? Thousands(items) : QString(),
          items > 0 ? Decimal(static_cast<double>(bytes) / static_cast<double>(items), 1) : QString(),
          Thousands(bytes), hours > 0 ? Thousands(static_cast<int64_t>(static_cast<double>(bytes) / hours)) : QString()};
}

}  // namespace

IndexCensus TakeCensus(const SearchIndex& index, const AudioQuery* query, JobProgress* progress) {
  IndexCensus c;
  const LandmarkIndex* marks = index.landmarks.get();
  for (int32_t t = 0; t < index.TrackCount(); ++t) {
    if (progress) {
      if (progress->Stopped()) return c;
      progress->Set(t, index.TrackCount());
    }
    const TrackIndex& track = index.tracks[t];
    const TrackInfo& info = index.infos[static_cast<size_t>(t)];
    c.infoBytes += static_cast<int64_t>(sizeof(TrackInfo)) + TextBytes(info);
    if (!track.loaded) continue;
    int64_t withoutPeak = 0, zeroBands = 0;
    CountTrack(track, withoutPeak, zeroBands, c.saturatedBytes);
    c.records += track.count;
    c.withoutPeak += withoutPeak;
    c.zeroBands += zeroBands;
    const int32_t landmarks = marks ? marks->LandmarksOf(t) : 0;
    const double seconds = track.count / 2.0;
    c.tracks.append({QString::number(t), TrackTitle(index, t), QString::number(track.count),
                     FormatDuration(static_cast<int64_t>(seconds), false), QString::number(withoutPeak),
                     marks ? QString::number(landmarks) : QStringLiteral("—"),
                     marks && seconds > 0 ? Decimal(landmarks / seconds, 1) : QStringLiteral("—")});
  }
  const double hours = static_cast<double>(c.records) / kHourRecords;
  const auto row = [&c](const QString& name, const QString& value) { c.counts.append({name, value}); };
  row(QStringLiteral("Строк в таблице Data"), Thousands(index.recordsCount));
  row(QStringLiteral("Загруженных треков"), Thousands(index.loadedTracks));
  row(QStringLiteral("Ошибок чтения"), Thousands(index.readErrors));
  row(QStringLiteral("Записей (полусекунд)"), Thousands(c.records));
  row(QStringLiteral("Часов аудио"), Decimal(hours, 2));
  row(QStringLiteral("Записей без пика (тишина)"), Thousands(c.withoutPeak));
  row(QStringLiteral("Записей без полос (пик у края трека)"), Thousands(c.zeroBands));
  row(QStringLiteral("Байтов полос на пределе 255"),
      QStringLiteral("%1 (%2 %)")
          .arg(Thousands(c.saturatedBytes))
          .arg(Decimal(c.records > 0 ? 100.0 * static_cast<double>(c.saturatedBytes) / (8.0 * c.records) : 0.0, 2)));
  row(QStringLiteral("Записей в полосовом фильтре"),
      index.filter ? Thousands(index.filter->Entries()) : QStringLiteral("фильтра нет"));
  row(QStringLiteral("Треков с ориентирами"), Thousands(index.landmarkTracks));
  row(QStringLiteral("Треков без годных ориентиров"), Thousands(index.landmarkProblems));
  row(QStringLiteral("Ориентиров"), marks ? Thousands(marks->LandmarkCount()) : QStringLiteral("нет таблицы Landmarks"));
  row(QStringLiteral("Спектров ориентиров (62,5 в секунду)"), Thousands(index.landmarkFrames));
  row(QStringLiteral("Ориентиров в секунду"),
      marks && index.landmarkFrames > 0
          ? Decimal(static_cast<double>(marks->LandmarkCount()) / (index.landmarkFrames / 62.5), 1)
          : QStringLiteral("—"));
  row(QStringLiteral("Частей индекса ориентиров"), marks ? QString::number(marks->ShardCount()) : QStringLiteral("—"));
  row(QStringLiteral("Время загрузки, мс"), Decimal(index.loadTimeMs, 0));

  const int64_t recordBytes = c.records * static_cast<int64_t>(IndexRecord::kSize);
  c.sizes.append(SizeRow(QStringLiteral("Записи отпечатков (12 байт)"), c.records, recordBytes, hours));
  c.sizes.append(SizeRow(QStringLiteral("Описания треков"), index.TrackCount(), c.infoBytes, hours));
  const int64_t filterBytes = index.filter ? index.filter->MemoryBytes() : 0;
  c.sizes.append(SizeRow(QStringLiteral("Полосовой фильтр"), index.filter ? index.filter->Entries() : 0, filterBytes,
                         hours));
  const int64_t landmarkBytes = marks ? marks->MemoryBytes() : 0;
  c.sizes.append(
      SizeRow(QStringLiteral("Индекс ориентиров"), marks ? marks->LandmarkCount() : 0, landmarkBytes, hours));
  c.sizes.append(SizeRow(QStringLiteral("Всего в памяти"), 0, recordBytes + c.infoBytes + filterBytes + landmarkBytes,
                         hours));
  if (query && query->Length() > 0) {
    const int64_t samples = query->Length();
    c.sizes.append(SizeRow(QStringLiteral("Запрос: отсчёты"), samples, samples * 2, 0));
    c.sizes.append(SizeRow(QStringLiteral("Запрос: кэш полос (8 байт на отсчёт)"), samples, samples * 8, 0));
    c.sizes.append(SizeRow(QStringLiteral("Запрос: ключевые точки"), static_cast<int64_t>(query->Keypoints().size()),
                           static_cast<int64_t>(query->Keypoints().size() * sizeof(QueryKeypoint)), 0));
    const auto lookups = static_cast<int64_t>(query->LandmarkLookups().size());
    c.sizes.append(SizeRow(QStringLiteral("Запрос: ориентиры для поиска"), lookups,
                           lookups * static_cast<int64_t>(sizeof(landmarks::Landmark)), 0));
  }
  if (progress) progress->Set(index.TrackCount(), index.TrackCount());
  return c;
}

QString RecordLayout(const SearchIndex& index, int32_t track, int32_t frame) {
  if (track < 0 || track >= index.TrackCount() || !index.tracks[track].loaded || frame < 0 ||
      frame >= index.tracks[track].count) {
    return {};
  }
  const uint8_t* bytes = index.tracks[track].records.data() + IndexRecord::kSize * static_cast<size_t>(frame);
  const IndexRecord r = IndexRecord::Decode(bytes);
  QStringList hex, bands;
  for (size_t i = 0; i < IndexRecord::kSize; ++i) hex.append(QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper());
  for (const uint8_t b : r.bands) bands.append(QString::number(b));
  return QStringLiteral("Запись %1 трека %2 занимает 12 байт: %3. Байты 0–1 — позиция пика в своей полусекунде, %4 "
                        "(отсчёт %5 трека); 2–3 — средний отсчёт вокруг пика, %6; 4–11 — полосы спектра "
                        "23–375, 398–750, 773–1125, 1148–1500, 1523–2250, 2273–3000, 3023–4594 и 4617–6000 Гц: %7 "
                        "(255 — предел полосы). Ориентир занимает 4 байта и в файле (22 бита хэша и 10 битов до "
                        "предыдущего), и в памяти (кадр от начала части индекса в списке своего хэша).")
      .arg(frame)
      .arg(track)
      .arg(hex.join(QLatin1Char(' ')))
      .arg(r.position)
      .arg(Thousands(int64_t{frame} * IndexRecord::kSamples + r.position))
      .arg(static_cast<int16_t>(r.amplitude))
      .arg(bands.join(QStringLiteral(", ")));
}

}  // namespace melo
