#pragma once

#include "trackdb/track_info.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace melo {

// Reads the rows of a "SELECT * FROM Data ..." statement into TrackInfo and the
// fingerprint blob: the one mapping of the table's columns that every reader of a
// database uses. The columns are found by name once, so a table whose columns stand
// in another order reads the same; a column it lacks reads as empty or 0.
class TrackRowReader {
 public:
  explicit TrackRowReader(sqlite3_stmt* statement);

  // True when the statement has every column of the table.
  bool HasEveryColumn() const;
  // The descriptive columns of the statement's current row.
  void ReadInfo(TrackInfo& info) const;
  // The current row's index_data; nothing when it is NULL or there is no such
  // column. Valid until the statement steps on.
  std::optional<std::span<const uint8_t>> IndexData() const;

 private:
  enum Column {
    kId, kSourceSize, kSha2, kMd5, kDuration, kSourcePath, kSourceFileName, kExtension, kType,
    kAudioTrack, kAllTracks, kCreated, kInfo, kRecords, kIndexData, kColumnCount
  };
  QString Text(Column column) const;
  int64_t Integer(Column column) const;

  sqlite3_stmt* statement_;
  std::array<int, kColumnCount> index_;  // the statement's column number; -1 when absent
};

// Reads row `id` into info and its fingerprint into buffer. True also when no row
// has that id; then nothing is changed. False on any error, and when the row's
// index_data is shorter than records x 12 bytes: then info is filled and buffer
// holds the whole records the blob has.
bool ReadTrackRow(sqlite3* db, int32_t id, TrackInfo& info, std::vector<uint8_t>& buffer);

}  // namespace melo
