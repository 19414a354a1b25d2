#include "indexer/database/track_row.h"

#include "fingerprint/index_record.h"
#include "indexer/database/schema.h"
#include "indexer/database/sqlite_connection.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <algorithm>
#include <cstring>

namespace melo {

bool ReadTrackRow(SQLite::Database& db, int32_t id, TrackInfo& info, std::vector<uint8_t>& buffer) {
  SQLite::Statement query(db, sql::kSelectRow);
  query.bind(":ID", id);
  if (!query.executeStep()) return true;

  info.id = query.getColumn("id").getInt();
  info.source_size = query.getColumn("source_size").getInt64();
  info.sha2 = ColumnText(query.getColumn("sha2"));
  info.md5 = ColumnText(query.getColumn("md5"));
  info.duration = static_cast<int32_t>(query.getColumn("duration").getInt64());
  info.source_path = ColumnText(query.getColumn("source_path"));
  info.source_file_name = ColumnText(query.getColumn("source_file_name"));
  info.extension = ColumnText(query.getColumn("extension"));
  info.type = ColumnText(query.getColumn("type"));
  info.audio_track = static_cast<int32_t>(query.getColumn("audio_track").getInt64());
  info.all_tracks = static_cast<int32_t>(query.getColumn("all_tracks").getInt64());
  info.created = ColumnText(query.getColumn("created"));
  info.info = ColumnText(query.getColumn("info"));
  info.records = static_cast<int32_t>(query.getColumn("records").getInt64());

  const SQLite::Column blob = query.getColumn("index_data");
  const auto* bytes = static_cast<const uint8_t*>(blob.getBlob());
  const int64_t available = blob.getBytes();
  const int64_t wanted = int64_t{std::max(info.records, int32_t{0})} * int64_t{IndexRecord::kSize};
  // A row whose count promises more than its blob holds is refused; the buffer
  // keeps only what is really there rather than a large zero-filled allocation.
  const int64_t kept = wanted <= available
                           ? wanted
                           : available / int64_t{IndexRecord::kSize} * int64_t{IndexRecord::kSize};
  buffer.assign(bytes, bytes + kept);
  return wanted <= available && info.records >= 0;
}

}  // namespace melo
