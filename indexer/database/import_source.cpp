#include "indexer/database/import_source.h"

#include "base/dialogs.h"
#include "indexer/database/sqlite_connection.h"
#include "trackdb/schema.h"
#include "trackdb/track_row.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <chrono>
#include <thread>

namespace melo {

namespace {

constexpr int kBusyLooks = 1000;

// Clears the flag however the guarded read ends.
class BusyGuard {
 public:
  explicit BusyGuard(std::atomic<bool>& flag) : flag_(flag) {}
  ~BusyGuard() { flag_.store(false); }

 private:
  std::atomic<bool>& flag_;
};

}  // namespace

TDataModule2::TDataModule2(Dialogs& dialogs) : dialogs_(dialogs) {}

TDataModule2::~TDataModule2() = default;

bool TDataModule2::OpenDatabase(const QString& path) {
  db_ = OpenSqliteFile(path);
  if (!db_) {
    dialogs_.ShowMessage(QStringLiteral("Ошибка подключения к базе данных!"));
    return false;
  }
  return true;
}

bool TDataModule2::CloseDatabase() {
  const bool wasConnected = db_ != nullptr;
  db_.reset();
  return wasConnected;
}

bool TDataModule2::IsConnected() const { return db_ != nullptr; }

bool TDataModule2::Acquire() {
  for (int look = 0; look < kBusyLooks; ++look) {
    bool expected = false;
    if (busy_.compare_exchange_strong(expected, true)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

bool TDataModule2::GetRecordList2(std::vector<SourceTrack>& rows) {
  if (!Acquire()) return false;
  BusyGuard guard(busy_);
  rows.clear();
  if (!db_) return false;
  try {
    SQLite::Statement query(*db_, sql::kListTracks);
    while (query.executeStep()) {
      rows.push_back({query.getColumn(0).getInt(),
                      {ColumnText(query.getColumn(2)), query.getColumn(1).getInt64(), query.getColumn(3).getInt()}});
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TDataModule2::GetRecord2(int32_t id, TrackInfo& info, std::vector<uint8_t>& buffer) {
  if (!Acquire()) return false;
  BusyGuard guard(busy_);
  if (!db_) return false;
  return ReadTrackRow(db_->getHandle(), id, info, buffer);
}

bool TDataModule2::GetLandmarks2(int32_t id, RowLandmarks& landmarks) {
  if (!Acquire()) return false;
  BusyGuard guard(busy_);
  if (!db_) return false;
  return ReadRowLandmarks(db_->getHandle(), id, landmarks);
}

}  // namespace melo
