#include "indexer/pipeline/check_database.h"

#include "indexer/database/data_module1.h"
#include "indexer/database/schema.h"
#include "indexer/database/sqlite_connection.h"

#include <QFileInfo>
#include <QStringList>
#include <SQLiteCpp/SQLiteCpp.h>

#include <chrono>
#include <thread>

namespace melo {

namespace {

constexpr int32_t kOwner = TDataModule1::kSharedOwner;

QString RowPrefix(int64_t id) { return QStringLiteral("Id=%1\t").arg(id); }

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
    progress_ = 20;
    if (options_.duplicates) FindDuplicates();
    progress_ = 40;
    if (options_.emptyFields) FindEmptyFields();
    progress_ = 60;
    if (options_.sourceFiles) FindMissingSources();
    progress_ = 80;
    if (options_.indexValues || options_.indexSizes) CheckFingerprints();
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
      Report(RowPrefix(rows.getColumn("id").getInt64()) +
             QStringLiteral("Найдены  дубликаты (%1)").arg(rows.getColumn("n").getInt()));
    }
  } catch (const std::exception&) {
    Error(QStringLiteral("Ошибка поиска дубликатов!"));
  }
}

void CheckDatabase::FindEmptyFields() {
  try {
    SQLite::Statement rows(Connection(store_), sql::kDescriptiveColumns);
    while (!Terminated() && rows.executeStep()) {
      auto empty = [&](const char* column) { return ColumnText(rows.getColumn(column)).isEmpty(); };
      auto below1 = [&](const char* column) { return rows.getColumn(column).getInt64() < 1; };
      const struct {
        const char* name;
        bool isEmpty;
      } columns[] = {
          {"source_size", empty("source_size")}, {"sha2", empty("sha2")}, {"md5", empty("md5")},
          {"duration", below1("duration")}, {"source_path", empty("source_path")},
          {"source_file_name", empty("source_file_name")}, {"extension", empty("extension")},
          {"type", empty("type")}, {"all_tracks", below1("all_tracks")}, {"created", empty("created")},
          {"info", empty("info")}, {"records", below1("records")},
      };
      QString list;
      for (const auto& c : columns) {
        if (c.isEmpty) list += QLatin1String(c.name) + QStringLiteral(", ");
      }
      const int64_t id = rows.getColumn("id").getInt64();
      if (!list.isEmpty()) Report(RowPrefix(id) + QStringLiteral("Найдены пустые поля (%1)").arg(list.chopped(2)));
      const int64_t records = rows.getColumn("records").getInt64();
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
      const QString path = ColumnText(rows.getColumn("source_path"));
      if (!QFileInfo(path).isFile()) {
        Report(RowPrefix(rows.getColumn("id").getInt64()) + QStringLiteral("Исходный файл не найден: ") + path);
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
      const int64_t id = rows.getColumn("id").getInt64();
      const int64_t records = rows.getColumn("records").getInt64();
      const SQLite::Column blob = rows.getColumn("index_data");
      const int64_t size = blob.getBytes();
      if (records * 12 != size) {
        Report(RowPrefix(id) + QStringLiteral("Реальный размер индексных данных (%1) отличен от значения поля records (%2)")
                                   .arg(size)
                                   .arg(records));
      }
      if (records == 0) {
        Report(RowPrefix(id) + QStringLiteral("Индексные данные отстутствуют!"));
      } else if (records < 60) {
        Report(RowPrefix(id) + QStringLiteral("Размер индексных данных (%1) менее 30 секунд!").arg(size));
      }
      // 16-bit words with the top bit set, over the whole blob.
      const auto* bytes = static_cast<const uint8_t*>(blob.getBlob());
      int64_t negative = 0;
      for (int64_t w = 0; w + 1 < size; w += 2) negative += bytes[w + 1] >> 7;
      if (negative > 0) Report(RowPrefix(id) + QStringLiteral("Обнаружено (%1) отрицательных значений огибающей!").arg(negative));
    }
  } catch (const std::exception&) {
    Error(QStringLiteral("Ошибка чтения индексных данных!"));
  }
}

}  // namespace melo
