#pragma once

#include "trackdb/landmark_row.h"
#include "trackdb/track_info.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace SQLite {
class Database;
}

namespace melo {

class Dialogs;

// One row of the database being imported, as the import walks it.
struct SourceTrack {
  int32_t id = 0;
  TrackIdentity track;

  bool operator==(const SourceTrack&) const = default;
};

// The second connection, to a database being imported. Its two reads are guarded by
// Busy: each waits up to about a second for the other to finish, then gives up.
class TDataModule2 {
 public:
  explicit TDataModule2(Dialogs& dialogs);
  ~TDataModule2();

  bool OpenDatabase(const QString& path);  // as TDataModule1::OpenDatabase
  bool CloseDatabase();
  bool IsConnected() const;

  // Every row's id and track, in the order SQLite returns them.
  bool GetRecordList2(std::vector<SourceTrack>& rows);
  // As TDataModule1::GetRecord, on the imported database.
  bool GetRecord2(int32_t id, TrackInfo& info, std::vector<uint8_t>& buffer);
  // The landmarks of row `id` (Missing also when the file has none at all); false
  // on an SQLite error.
  bool GetLandmarks2(int32_t id, RowLandmarks& landmarks);

  bool Busy() const noexcept { return busy_.load(); }

 private:
  bool Acquire();

  Dialogs& dialogs_;
  std::unique_ptr<SQLite::Database> db_;
  std::atomic<bool> busy_{false};
};

}  // namespace melo
