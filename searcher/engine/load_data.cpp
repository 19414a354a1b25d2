#include "searcher/engine/load_data.h"

#include "base/text_format.h"
#include "fingerprint/index_record.h"
#include "landmarks/landmark_blob.h"
#include "trackdb/schema.h"
#include "trackdb/sqlite_handles.h"
#include "trackdb/landmark_row.h"
#include "trackdb/track_row.h"

#include <QElapsedTimer>
#include <QLocale>
#include <sqlite3.h>

#include <optional>

namespace melo {

namespace {

// Copies the whole records of a row's blob; false for a missing (NULL) blob.
bool ReadBlob(const TrackRowReader& row, TrackIndex& track) {
  const auto blob = row.IndexData();
  if (!blob) return false;
  track.count = static_cast<int32_t>(blob->size() / IndexRecord::kSize);
  track.records.assign(blob->begin(), blob->begin() + static_cast<ptrdiff_t>(track.count) * IndexRecord::kSize);
  track.loaded = true;
  return true;
}

}  // namespace

void LoadIndex(const QString& databasePath, SearchIndex& index,
               const std::function<void(const QString&)>& onErrorLine,
               const std::function<bool(int32_t rowsRead)>& progress) {
  QElapsedTimer clock;
  clock.start();
  index.filter.reset();  // it points into the tracks about to be replaced
  index.landmarks.reset();
  index.landmarkTracks = 0;
  index.landmarkFrames = 0;
  index.landmarkProblems = 0;
  const ReadOnlyDatabase db(databasePath);
  {
    const SqliteStatement count(db.get(), sql::kCountRows);
    if (!count.get() || sqlite3_step(count.get()) != SQLITE_ROW) {
      index.recordsCount = -1;
      index.loadError = db.get() ? db.ErrorText() : QStringLiteral("cannot open the file");
      return;
    }
    index.recordsCount = sqlite3_column_int(count.get(), 0);
  }
  index.infos.assign(static_cast<size_t>(index.recordsCount), TrackInfo{});
  index.tracks.assign(static_cast<size_t>(index.recordsCount), TrackIndex{});
  index.loadedTracks = 0;
  index.readErrors = 0;
  index.totalRecords = 0;

  // A Landmarks table of other columns (another program's) leaves the rows to load
  // without landmarks rather than failing the whole load.
  const bool withLandmarks =
      HasLandmarkTable(db.get()) && SqliteStatement(db.get(), sql::kSelectAllRowsWithLandmarks).get() != nullptr;
  const SqliteStatement rows(db.get(), withLandmarks ? sql::kSelectAllRowsWithLandmarks : sql::kSelectAllRows);
  BandFilter::Builder filter(index.recordsCount);
  std::optional<LandmarkIndex::Builder> landmarks;
  if (withLandmarks) {
    const SqliteStatement total(db.get(), sql::kCountLandmarks);
    const bool counted = total.get() && sqlite3_bind_int(total.get(), 1, landmarks::kLandmarkVersion) == SQLITE_OK &&
                         sqlite3_step(total.get()) == SQLITE_ROW;
    landmarks.emplace(LandmarkIndex::kShardLandmarks, counted ? sqlite3_column_int64(total.get(), 0) : 0);
  }
  RowLandmarks stored;
  int32_t read = 0;
  bool stopped = progress && !progress(0);
  if (rows.get() && !stopped) {
    const TrackRowReader row(rows.get());
    const LandmarkRowReader landmarkRow(rows.get());
    for (; read < index.recordsCount && sqlite3_step(rows.get()) == SQLITE_ROW; ++read) {
      TrackInfo& info = index.infos[read];
      row.ReadInfo(info);
      if (ReadBlob(row, index.tracks[read])) {
        ++index.loadedTracks;
        index.totalRecords += index.tracks[read].count;
      } else {
        ++index.readErrors;
        if (onErrorLine) {
          onErrorLine(QStringLiteral("Ошибка чтения данных:\tId=%1\tФайл=").arg(info.id) + info.source_path);
        }
      }
      filter.Add(index.tracks[read]);
      if (landmarks && index.tracks[read].loaded) {
        landmarkRow.Read(stored);
        if (stored.state == StoredLandmarks::Read) {
          landmarks->AddTrack(read, stored.landmarks);
          ++index.landmarkTracks;
          index.landmarkFrames += stored.frames;
        } else {
          ++index.landmarkProblems;
        }
      }
      if (progress && !progress(read + 1)) {
        stopped = true;
        break;
      }
    }
  }
  // Rows the statement never delivered (a busy or damaged file) are read errors too,
  // not a quietly smaller database.
  if (read < index.recordsCount && !stopped) {
    index.readErrors += index.recordsCount - read;
    if (onErrorLine) {
      onErrorLine(QStringLiteral("Ошибка чтения данных:\tне прочитано записей: %1\t").arg(index.recordsCount - read) +
                  db.ErrorText());
    }
  }
  if (!stopped) {
    index.filter = filter.Finish();
    if (landmarks) index.landmarks = landmarks->Finish();
  }
  index.loadTimeMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

QStringList LoadStatusTexts(const SearchIndex& index) {
  return {
      QStringLiteral("Время загрузки информации из базы данных: ") +
          QLocale().toString(index.loadTimeMs / 1000.0, 'f', 2) + QStringLiteral(" сек"),
      QStringLiteral("Аудио треков: ") + FormatThousands(index.loadedTracks),
      QStringLiteral("Аудио часов: ") + FormatThousands(index.totalRecords / 7200),
      QStringLiteral("Ошибок чтения: ") + FormatThousands(index.readErrors),
  };
}

QString LoadProgressText(int32_t rowsRead, int32_t rowsTotal) {
  if (rowsTotal < 0) return QStringLiteral("Загрузка информации из базы данных...");
  if (rowsTotal > 0 && rowsRead >= rowsTotal) return QStringLiteral("Построение фильтра для поиска...");
  return QStringLiteral("Загрузка информации из базы данных: %1 из %2")
      .arg(FormatThousands(rowsRead), FormatThousands(rowsTotal));
}

LoadData::LoadData(QString databasePath, SearchIndex& index)
    : databasePath_(std::move(databasePath)), index_(index) {}

LoadData::~LoadData() {
  Terminate();
  WaitFor();
}

void LoadData::Execute() {
  LoadIndex(
      databasePath_, index_,
      [this](const QString& line) {
        if (onErrorLine) Synchronize([&] { onErrorLine(line); });
      },
      [this](int32_t rowsRead) {
        rowsTotal_.store(index_.recordsCount);
        rowsRead_.store(rowsRead);
        return !Terminated();
      });
  if (!Terminated() && onFinished) Synchronize([this] { onFinished(); });
}

}  // namespace melo
