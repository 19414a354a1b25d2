#include "trackdb/landmark_row.h"

#include "landmarks/landmark_blob.h"
#include "trackdb/schema.h"
#include "trackdb/sqlite_handles.h"

#include <sqlite3.h>

#include <span>

namespace melo {

LandmarkRowReader::LandmarkRowReader(sqlite3_stmt* statement) : statement_(statement) {
  static constexpr const char* kNames[4] = {sql::column::kLandmarkVersion, sql::column::kLandmarkFrames,
                                            sql::column::kLandmarkCount, sql::column::kLandmarkData};
  index_.fill(-1);
  const int count = statement ? sqlite3_column_count(statement) : 0;
  for (int c = 0; c < count; ++c) {
    for (int k = 0; k < 4; ++k) {
      if (sqlite3_stricmp(sqlite3_column_name(statement, c), kNames[k]) == 0) index_[k] = c;
    }
  }
}

void LandmarkRowReader::Read(RowLandmarks& into) const {
  into.landmarks.clear();  // its buffer stays for the next row
  into.version = 0;
  into.frames = 0;
  into.state = StoredLandmarks::Missing;
  for (const int c : index_) {
    if (c < 0 || sqlite3_column_type(statement_, c) == SQLITE_NULL) return;
  }
  into.version = sqlite3_column_int(statement_, index_[0]);
  into.frames = sqlite3_column_int(statement_, index_[1]);
  if (into.version != landmarks::kLandmarkVersion) {
    into.state = StoredLandmarks::OtherVersion;
    return;
  }
  const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement_, index_[3]));
  const std::span<const uint8_t> blob(bytes, static_cast<size_t>(sqlite3_column_bytes(statement_, index_[3])));
  into.state = landmarks::DecodeLandmarks(blob, sqlite3_column_int(statement_, index_[2]), into.frames, into.landmarks)
                   ? StoredLandmarks::Read
                   : StoredLandmarks::Damaged;
}

bool HasLandmarkTable(sqlite3* db) {
  const SqliteStatement query(db, sql::kHasLandmarksTable);
  return query.get() && sqlite3_step(query.get()) == SQLITE_ROW && sqlite3_column_int(query.get(), 0) > 0;
}

bool ReadRowLandmarks(sqlite3* db, int32_t id, RowLandmarks& into) {
  into = {};
  if (!HasLandmarkTable(db)) return db != nullptr;
  const SqliteStatement query(db, sql::kSelectLandmarksOfRow);
  if (!query.get() || sqlite3_bind_int(query.get(), 1, id) != SQLITE_OK) return false;
  const int step = sqlite3_step(query.get());
  if (step == SQLITE_DONE) return true;
  if (step != SQLITE_ROW) return false;
  LandmarkRowReader(query.get()).Read(into);
  return true;
}

}  // namespace melo
