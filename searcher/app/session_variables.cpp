#include "searcher/app/session_variables.h"

#include "base/text_format.h"
#include "searcher/app/debug_texts.h"
#include "searcher/app/recall_bench.h"
#include "searcher/app/searcher_session.h"
#include "searcher/capture/capture_ring.h"

namespace melo {

namespace {

QString Yes(bool value) { return value ? QStringLiteral("да") : QStringLiteral("нет"); }

QString HitText(const HitMemory& hit) {
  if (hit.track < 0) return QStringLiteral("нет");
  return QStringLiteral("трек %1, позиция %2 (%3), кадр %4, ключевая точка %5")
      .arg(hit.track)
      .arg(hit.position)
      .arg(PlaceText(hit.position))
      .arg(hit.frame)
      .arg(hit.keypoint);
}

QString AnalysisName(QueryAnalysis analysis) {
  switch (analysis) {
    case QueryAnalysis::Plain: return QStringLiteral("обычный (как у треков)");
    case QueryAnalysis::NoiseRobust: return QStringLiteral("с поправкой на шум");
    case QueryAnalysis::Landmarks: return QStringLiteral("ориентиры");
  }
  return {};
}

}  // namespace

QList<QStringList> SessionVariables(const SearcherSession& session) {
  QList<QStringList> rows;
  const auto add = [&rows](const QString& name, const QString& value) { rows.append({name, value}); };
  const auto number = [](int64_t n) { return QString::number(n); };
  const SearchParameters& p = session.Parameters();
  add(QStringLiteral("Режим поиска"), ModeName(session.Mode()));
  add(QStringLiteral("Анализ запроса"), AnalysisName(p.analysis));
  add(QStringLiteral("Длина запроса Q, с"), number(p.querySeconds));
  add(QStringLiteral("Допуск полосы Tb"), number(p.bandTolerance));
  add(QStringLiteral("Допуск огибающей Ta, %"), number(p.amplitudeTolerance));
  add(QStringLiteral("Допуск суммы Ts"), number(p.sumTolerance));
  add(QStringLiteral("Добавка к Tb при слежении Xb"), number(p.extraBandTolerance));
  add(QStringLiteral("Добавка к Ts при слежении Xs"), number(p.extraSumTolerance));
  add(QStringLiteral("Наименьшая амплитуда Amin"), number(p.minimumAmplitude));
  add(QStringLiteral("Кадров вне допуска, %"), number(p.spoiledPercent));
  add(QStringLiteral("Подтверждающих ключевых точек"), number(p.confirmingKeypoints));
  add(QStringLiteral("Ориентиров на одно смещение"), number(p.landmarkVotes));
  add(QStringLiteral("Оценка ответа (десятые доли)"), number(p.landmarkScore));
  add(QStringLiteral("Трек и кадр трассировки"), QStringLiteral("%1, %2").arg(p.debugTrack).arg(p.debugFrame));

  add(QStringLiteral("Автопоиск"), Yes(session.Automatic()));
  add(QStringLiteral("Интервал автопоиска, мс"), number(session.AutomaticInterval()));
  add(QStringLiteral("Поиск идёт"), Yes(session.SearchRunning()));
  add(QStringLiteral("Потоков поиска"), number(session.Engine().Workers()));
  add(QStringLiteral("Последнее попадание"), HitText(session.Engine().LastHit()));
  add(QStringLiteral("Предыдущее попадание"), HitText(session.Engine().HitBefore()));

  const AudioQuery& q = session.Query();
  add(QStringLiteral("Момент запроса"), q.TimeStamp().trimmed());
  add(QStringLiteral("Отсчётов запроса"), number(q.Length()));
  add(QStringLiteral("Пик запроса"), number(q.Peak()));
  add(QStringLiteral("Ключевых точек запроса"), number(static_cast<int64_t>(q.Keypoints().size())));
  add(QStringLiteral("Ориентиров запроса (с соседями)"), number(static_cast<int64_t>(q.LandmarkLookups().size())));
  add(QStringLiteral("Запросов в истории"), number(session.History().Filled()));

  const SoundSystem& sound = session.Sound();
  const int32_t selection = sound.Selection();
  add(QStringLiteral("Источник звука"), selection >= 0 && selection < sound.Sources().size()
                                            ? QStringLiteral("%1: %2").arg(selection).arg(sound.Sources()[selection])
                                            : QStringLiteral("не выбран"));
  if (const CaptureRing* ring = sound.Ring()) {
    add(QStringLiteral("Кольцо захвата активно"), Yes(ring->Active()));
    add(QStringLiteral("Отсчётов захвачено всего"), number(static_cast<int64_t>(ring->Total())));
    add(QStringLiteral("Отсчётов в кольце"), number(ring->Filled()));
  }

  // The index is filled by the load's own thread: read only once it is done.
  const bool loaded = session.IndexLoaded();
  add(QStringLiteral("База данных загружена"), Yes(loaded));
  if (loaded) {
    const SearchIndex& index = session.Index();
    add(QStringLiteral("Треков в памяти"), number(index.TrackCount()));
    add(QStringLiteral("Записей в памяти"), FormatThousands(index.totalRecords));
    add(QStringLiteral("Полосовой фильтр"), Yes(index.filter != nullptr));
    add(QStringLiteral("Треков с ориентирами"), number(index.landmarkTracks));
  }
  add(QStringLiteral("База данных"), session.Settings().databasePath);
  add(QStringLiteral("Каталог запросов"), session.Settings().queryDir);
  add(QStringLiteral("Режим отладки"), Yes(session.Settings().debugMode));
  return rows;
}

}  // namespace melo
