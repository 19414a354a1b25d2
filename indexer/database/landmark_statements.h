#pragma once

#include <string>

namespace melo::sql {

// The indexer's own reads of the landmark table beside Data, for the check and for
// adding missing landmarks. They only read; the texts of table Data's statements
// (trackdb/schema.h) stay as they are.

// "SELECT <dataColumns> FROM Data ..." with each row's landmark columns as
// LandmarkRowReader reads them (NULLs for a row without landmarks) and the blob's
// length as landmark_bytes; without the table (withTable false) Data alone, so that
// every row reads as having no landmarks.
inline std::string RowsWithLandmarks(const std::string& dataColumns, bool withTable, const std::string& orderBy = {}) {
  std::string sql = "SELECT " + dataColumns;
  if (withTable) {
    sql += ", Landmarks.version AS landmark_version, Landmarks.frames AS landmark_frames, "
           "Landmarks.count AS landmark_count, Landmarks.data AS landmark_data, "
           "length(Landmarks.data) AS landmark_bytes FROM Data LEFT JOIN Landmarks ON Landmarks.id = Data.id";
  } else {
    sql += " FROM Data";
  }
  if (!orderBy.empty()) sql += " ORDER BY " + orderBy;
  return sql;
}

// Landmarks whose row is gone: a row deleted by a program that knows nothing of them.
inline constexpr char kOrphanLandmarks[] = "SELECT id FROM Landmarks WHERE id NOT IN (SELECT id FROM Data) ORDER BY id";

}  // namespace melo::sql
