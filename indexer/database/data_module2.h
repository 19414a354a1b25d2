#pragma once

#include "indexer/database/track_info.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace SQLite {
class Database;
}

namespace melo {

class Dialogs;

// The second connection, to a database being imported. Its two reads are guarded by
// Busy: each waits up to about a second for the other to finish, then gives up.
class TDataModule2 {
 public:
  explicit TDataModule2(Dialogs& dialogs);
  ~TDataModule2();

  bool OpenDatabase(const QString& path);  // as TDataModule1::OpenDatabase
  bool CloseDatabase();
  bool IsConnected() const;

  // One line per row: id TAB source_size TAB md5 TAB audio_track.
  bool GetRecordList2(QStringList& lines);
  // As TDataModule1::GetRecord, on the imported database.
  bool GetRecord2(int32_t id, TrackInfo& info, std::vector<uint8_t>& buffer);

  bool Busy() const noexcept { return busy_.load(); }

 private:
  bool Acquire();

  Dialogs& dialogs_;
  std::unique_ptr<SQLite::Database> db_;
  std::atomic<bool> busy_{false};
};

}  // namespace melo
