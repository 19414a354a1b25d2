#include "indexer/pipeline/check_database.h"

#include "fingerprint/index_record.h"
#include "fingerprint/sample_buffer.h"
#include "indexer/database/database_lock.h"
#include "indexer/database/record_store.h"
#include "indexer/database/landmark_statements.h"
#include "indexer/database/sqlite_connection.h"
#include "landmarks/landmark_blob.h"
#include "trackdb/landmark_row.h"
#include "trackdb/schema.h"
#include "trackdb/sqlite_handles.h"

#include <QFileInfo>
#include <QStringList>
#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <chrono>
#include <thread>

namespace melo {

namespace {

constexpr int32_t kOwner = TDataModule1::kSharedOwner;

constexpr int64_t kRecordSize = IndexRecord::kSize;

QString RowPrefix(int64_t id) { return QStringLiteral("Id=%1\t").arg(id); }

// Records whose peak offset lies outside their half-second window (24000 or
// more), which no indexer writes: the one value of a record the format cannot
// hold. Negative amplitudes and band bytes of 128 and above are normal.
int64_t PeaksOutsideTheirWindow(const uint8_t* bytes, int64_t size) {
  int64_t outside = 0;
  for (int64_t at = 0; at + kRecordSize <= size; at += kRecordSize) {
    if (IndexRecord::Decode(bytes + at).position >= kHalfSecond) ++outside;
  }
  return outside;
}

}  // namespace

CheckDatabase::CheckDatabase(TDataModule1& store, Options options) : store_(store), options_(options) {}

CheckDatabase::~CheckDatabase() { WaitFor(); }

void CheckDatabase::Report(const QString& line) {
  if (onReport) Synchronize([&] { onReport(line); });
}

void CheckDatabase::Error(const QString& text) {
  if (onError) Synchronize([&] { onError(text); });
}

void CheckDatabase::Execute() {
  progress_ = 0;
  {
    DatabaseLock lock(store_, kOwner);
    CountRows();
    progress_ = 17;
    if (options_.duplicates) FindDuplicates();
    progress_ = 33;
    if (options_.emptyFields) FindEmptyFields();
    progress_ = 50;
    if (options_.sourceFiles) FindMissingSources();
    progress_ = 67;
    if (options_.indexValues || options_.indexSizes) CheckFingerprints();
    progress_ = 83;
    // One message for the step, whichever of its statements fails.
    if (options_.landmarks && !(CheckLandmarks() && FindOrphanLandmarks())) {
      Error(QStringLiteral("Ошибка чтения ориентиров!"));
    }
  }
  progress_ = 100;
  std::this_thread::sleep_for(std::chrono::milliseconds(finishPauseMs_));
  if (onFinish) Synchronize([&] { onFinish(); });
}

// Statements run on the main connection; a missing connection fails like a
// failing statement.
static SQLite::Database& Connection(TDataModule1& store) {
  SQLite::Database* db = store.Connection();
  if (!db) throw std::runtime_error("not connected");
  return *db;
}

void CheckDatabase::CountRows() {
  try {
    SQLite::Statement count(Connection(store_), sql::kCountRows);
    count.executeStep();
    count.getColumn("RECORDS_COUNT").getInt64();
  } catch (const std::exception&) {
    Error(QStringLiteral("Ошибка чтения количества записей!"));
  }
}

void CheckDatabase::FindDuplicates() {
  try {
    SQLite::Statement rows(Connection(store_), sql::kFindDuplicates);
    while (!Terminated() && rows.executeStep()) {
      Report(RowPrefix(rows.getColumn(sql::column::kId).getInt64()) +
             QStringLiteral("Найдены  дубликаты (%1)").arg(rows.getColumn("n").getInt()));
    }
  } catch (const std::exception&) {
    Error(QStringLiteral("Ошибка поиска дубликатов!"));
  }
}

void CheckDatabase::FindEmptyFields() {
  using namespace sql::column;
  // Texts must not be empty, numbers must be 1 or more; audio_track may be 0.
  enum class Rule { Text, Positive };
  static constexpr struct {
    const char* name;
    Rule rule;
  } kRequired[] = {
      {kSourceSize, Rule::Text},     {kSha2, Rule::Text},      {kMd5, Rule::Text},
      {kDuration, Rule::Positive},   {kSourcePath, Rule::Text}, {kSourceFileName, Rule::Text},
      {kExtension, Rule::Text},      {kType, Rule::Text},      {kAllTracks, Rule::Positive},
      {kCreated, Rule::Text},        {kInfo, Rule::Text},      {kRecords, Rule::Positive},
  };
  try {
    SQLite::Statement rows(Connection(store_), sql::kDescriptiveColumns);
    while (!Terminated() && rows.executeStep()) {
      QString list;
      for (const auto& c : kRequired) {
        const SQLite::Column value = rows.getColumn(c.name);
        const bool missing = c.rule == Rule::Text ? ColumnText(value).isEmpty() : value.getInt64() < 1;
        if (missing) list += QLatin1String(c.name) + QStringLiteral(", ");
      }
      const int64_t id = rows.getColumn(kId).getInt64();
      if (!list.isEmpty()) Report(RowPrefix(id) + QStringLiteral("Найдены пустые поля (%1)").arg(list.chopped(2)));
      const int64_t records = rows.getColumn(kRecords).getInt64();
      if (records < 61) Report(RowPrefix(id) + QStringLiteral("Найдены короткие индексы (%1)").arg(records));
    }
  } catch (const std::exception&) {
    Error(QStringLiteral("Ошибка поиска пустых полей!"));
  }
}

void CheckDatabase::FindMissingSources() {
  try {
    SQLite::Statement rows(Connection(store_), sql::kSourcePaths);
    while (!Terminated() && rows.executeStep()) {
      const QString path = ColumnText(rows.getColumn(sql::column::kSourcePath));
      if (!QFileInfo(path).isFile()) {
        Report(RowPrefix(rows.getColumn(sql::column::kId).getInt64()) + QStringLiteral("Исходный файл не найден: ") + path);
      }
    }
  } catch (const std::exception&) {
    Error(QStringLiteral("Ошибка чтения списка файлов!"));
  }
}

void CheckDatabase::CheckFingerprints() {
  try {
    SQLite::Statement rows(Connection(store_), sql::kIndexData);
    while (!Terminated() && rows.executeStep()) {
      const int64_t id = rows.getColumn(sql::column::kId).getInt64();
      const int64_t records = rows.getColumn(sql::column::kRecords).getInt64();
      const SQLite::Column blob = rows.getColumn(sql::column::kIndexData);
      const int64_t size = blob.getBytes();
      // records comes from the file as any 64-bit number: compared without
      // multiplying, so that no value can overflow.
      const bool sizeMatches = records >= 0 && size % kRecordSize == 0 && records == size / kRecordSize;
      if (!sizeMatches) {
        Report(RowPrefix(id) + QStringLiteral("Реальный размер индексных данных (%1) отличен от значения поля records (%2)")
                                   .arg(size)
                                   .arg(records));
      }
      if (records == 0) {
        Report(RowPrefix(id) + QStringLiteral("Индексные данные отстутствуют!"));
      } else if (records < 60) {
        Report(RowPrefix(id) + QStringLiteral("Размер индексных данных (%1) менее 30 секунд!").arg(size));
      }
      const int64_t outside = PeaksOutsideTheirWindow(static_cast<const uint8_t*>(blob.getBlob()), size);
      if (outside > 0) {
        Report(RowPrefix(id) + QStringLiteral("Обнаружено (%1) отрицательных значений огибающей!").arg(outside));
      }
    }
  } catch (const std::exception&) {
    Error(QStringLiteral("Ошибка чтения индексных данных!"));
  }
}

// A row whose landmarks a search cannot use: none, of another version, or a blob
// that is not what its count and frames say. The search in the described modes
// still finds such a row; only the search through noise and rooms does not.
bool CheckDatabase::CheckLandmarks() {
  SQLite::Database* db = store_.Connection();
  sqlite3* handle = db ? db->getHandle() : nullptr;
  const SqliteStatement rows(handle, sql::RowsWithLandmarks("Data.id AS id", HasLandmarkTable(handle)).c_str());
  if (!rows.get()) return false;
  const LandmarkRowReader reader(rows.get());
  const int bytesColumn = sqlite3_column_count(rows.get()) - 1;  // landmark_bytes, when there is a table
  RowLandmarks stored;
  int step = SQLITE_ROW;
  while (!Terminated() && (step = sqlite3_step(rows.get())) == SQLITE_ROW) {
    const int64_t id = sqlite3_column_int64(rows.get(), 0);
    reader.Read(stored);
    switch (stored.state) {
      case StoredLandmarks::Read:
        break;
      case StoredLandmarks::Missing:
        Report(RowPrefix(id) + QStringLiteral("Ориентиры отсутствуют!"));
        break;
      case StoredLandmarks::OtherVersion:
        Report(RowPrefix(id) + QStringLiteral("Ориентиры другой версии (%1 вместо %2)!")
                                   .arg(stored.version)
                                   .arg(landmarks::kLandmarkVersion));
        break;
      case StoredLandmarks::Damaged:
        Report(RowPrefix(id) +
               QStringLiteral("Размер данных ориентиров (%1) не соответствует полям count (%2) и frames (%3)!")
                   .arg(sqlite3_column_int64(rows.get(), bytesColumn))
                   .arg(sqlite3_column_int64(rows.get(), bytesColumn - 2))
                   .arg(stored.frames));
        break;
    }
  }
  return step == SQLITE_ROW || step == SQLITE_DONE;
}

bool CheckDatabase::FindOrphanLandmarks() {
  try {
    SQLite::Database& db = Connection(store_);
    if (!HasLandmarkTable(db.getHandle())) return true;
    SQLite::Statement rows(db, sql::kOrphanLandmarks);
    while (!Terminated() && rows.executeStep()) {
      Report(RowPrefix(rows.getColumn(0).getInt64()) + QStringLiteral("Ориентиры без записи в таблице Data!"));
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace melo
