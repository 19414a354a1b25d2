#pragma once

#include "landmarks/peak_pairs.h"

#include <array>
#include <cstdint>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace melo {

// What a row's stored landmarks are.
enum class StoredLandmarks {
  Missing,       // no landmarks for the row (or no Landmarks table)
  OtherVersion,  // made by another version of the analysis: they meet no query
  Damaged,       // not what their count and frames say
  Read,
};

struct RowLandmarks {
  StoredLandmarks state = StoredLandmarks::Missing;
  int32_t version = 0;
  int32_t frames = 0;
  std::vector<landmarks::Landmark> landmarks;  // when Read
};

// Reads the landmark columns (sql::column::kLandmark...) of a statement's rows.
class LandmarkRowReader {
 public:
  explicit LandmarkRowReader(sqlite3_stmt* statement);

  // The current row's landmarks; `into` keeps its buffer from row to row.
  void Read(RowLandmarks& into) const;

 private:
  sqlite3_stmt* statement_;
  std::array<int, 4> index_;  // version, frames, count, data; -1 when absent
};

// True when the file holds the Landmarks table.
bool HasLandmarkTable(sqlite3* db);

// The landmarks of row `id`: Missing also when the file has no Landmarks table.
// False on an SQLite error.
bool ReadRowLandmarks(sqlite3* db, int32_t id, RowLandmarks& into);

}  // namespace melo
