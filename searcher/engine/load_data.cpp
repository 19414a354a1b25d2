#include "searcher/engine/load_data.h"

#include "base/text_format.h"
#include "fingerprint/index_record.h"
#include "indexer/database/schema.h"

#include <QElapsedTimer>
#include <QLocale>
#include <sqlite3.h>


namespace melo {

namespace {

// Read-only access to the file; closes itself.
class ReadConnection {
 public:
  explicit ReadConnection(const QString& path) {
    if (sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      sqlite3_close(db_);
      db_ = nullptr;
    } else {
      sqlite3_busy_timeout(db_, 5000);
    }
  }
  ~ReadConnection() { sqlite3_close(db_); }
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (db) sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr);
  }
  ~Statement() { sqlite3_finalize(statement_); }
  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

// Column numbers of "SELECT * FROM Data", looked up by name once.
struct Columns {
  int id = -1, sourceSize = -1, records = -1, sha2 = -1, md5 = -1, duration = -1, sourcePath = -1,
      sourceFileName = -1, extension = -1, type = -1, audioTrack = -1, allTracks = -1, created = -1,
      info = -1, indexData = -1;

  explicit Columns(sqlite3_stmt* s) {
    for (int c = 0; c < sqlite3_column_count(s); ++c) {
      const char* name = sqlite3_column_name(s, c);
      const struct {
        const char* name;
        int* column;
      } known[] = {{"id", &id}, {"source_size", &sourceSize}, {"records", &records}, {"sha2", &sha2},
                   {"md5", &md5}, {"duration", &duration}, {"source_path", &sourcePath},
                   {"source_file_name", &sourceFileName}, {"extension", &extension}, {"type", &type},
                   {"audio_track", &audioTrack}, {"all_tracks", &allTracks}, {"created", &created},
                   {"info", &info}, {"index_data", &indexData}};
      for (const auto& k : known) {
        if (sqlite3_stricmp(name, k.name) == 0) *k.column = c;
      }
    }
  }
};

QString Text(sqlite3_stmt* s, int column) {
  if (column < 0) return {};
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, column));
  return text ? QString::fromUtf8(text, sqlite3_column_bytes(s, column)) : QString();
}

int64_t Integer(sqlite3_stmt* s, int column) { return column < 0 ? 0 : sqlite3_column_int64(s, column); }

// Copies whole records of the row's blob; false for a missing (NULL) blob.
bool ReadBlob(sqlite3_stmt* s, int column, TrackIndex& track) {
  if (column < 0 || sqlite3_column_type(s, column) == SQLITE_NULL) return false;
  const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(s, column));
  const int size = sqlite3_column_bytes(s, column);
  track.count = size / static_cast<int>(IndexRecord::kSize);
  track.records.assign(bytes, bytes + static_cast<size_t>(track.count) * IndexRecord::kSize);
  track.loaded = true;
  return true;
}

}  // namespace

void LoadIndex(const QString& databasePath, SearchIndex& index,
               const std::function<void(const QString&)>& onErrorLine) {
  QElapsedTimer clock;
  clock.start();
  const ReadConnection db(databasePath);
  {
    const Statement count(db.get(), sql::kCountRows);
    if (!count.get() || sqlite3_step(count.get()) != SQLITE_ROW) {
      index.recordsCount = -1;
      return;
    }
    index.recordsCount = sqlite3_column_int(count.get(), 0);
  }
  index.infos.assign(static_cast<size_t>(index.recordsCount), TrackInfo{});
  index.tracks.assign(static_cast<size_t>(index.recordsCount), TrackIndex{});
  index.loadedTracks = 0;
  index.readErrors = 0;
  index.totalRecords = 0;

  const Statement rows(db.get(), "SELECT * FROM Data");
  int32_t read = 0;
  if (rows.get()) {
    const Columns c(rows.get());
    sqlite3_stmt* s = rows.get();
    for (; read < index.recordsCount && sqlite3_step(s) == SQLITE_ROW; ++read) {
      TrackInfo& info = index.infos[read];
      info.id = static_cast<int32_t>(Integer(s, c.id));
      info.source_size = Integer(s, c.sourceSize);
      info.records = static_cast<int32_t>(Integer(s, c.records));
      info.sha2 = Text(s, c.sha2);
      info.md5 = Text(s, c.md5);
      info.duration = static_cast<int32_t>(Integer(s, c.duration));
      info.source_path = Text(s, c.sourcePath);
      info.source_file_name = Text(s, c.sourceFileName);
      info.extension = Text(s, c.extension);
      info.type = Text(s, c.type);
      info.audio_track = static_cast<int32_t>(Integer(s, c.audioTrack));
      info.all_tracks = static_cast<int32_t>(Integer(s, c.allTracks));
      info.created = Text(s, c.created);
      info.info = Text(s, c.info);
      if (ReadBlob(s, c.indexData, index.tracks[read])) {
        ++index.loadedTracks;
        index.totalRecords += index.tracks[read].count;
      } else {
        ++index.readErrors;
        if (onErrorLine) {
          onErrorLine(QStringLiteral("Ошибка чтения данных:\tId=%1\tФайл=").arg(info.id) + info.source_path);
        }
      }
    }
  }
  // Rows the statement never delivered (a busy or damaged file) are read errors too,
  // not a quietly smaller database.
  if (read < index.recordsCount) {
    index.readErrors += index.recordsCount - read;
    if (onErrorLine) {
      onErrorLine(QStringLiteral("Ошибка чтения данных:\tне прочитано записей: %1\t").arg(index.recordsCount - read) +
                  QString::fromUtf8(sqlite3_errmsg(db.get())));
    }
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

LoadData::LoadData(QString databasePath, SearchIndex& index)
    : databasePath_(std::move(databasePath)), index_(index) {}

LoadData::~LoadData() { WaitFor(); }

void LoadData::Execute() {
  LoadIndex(databasePath_, index_, [this](const QString& line) {
    if (onErrorLine) Synchronize([&] { onErrorLine(line); });
  });
  if (index_.recordsCount >= 0 && onFinished) Synchronize([this] { onFinished(); });
}

}  // namespace melo
