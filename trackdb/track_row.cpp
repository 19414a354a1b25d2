#include "trackdb/track_row.h"

#include "fingerprint/index_record.h"
#include "trackdb/schema.h"
#include "trackdb/sqlite_handles.h"

#include <sqlite3.h>

#include <algorithm>

namespace melo {

TrackRowReader::TrackRowReader(sqlite3_stmt* statement) : statement_(statement) {
  // In the order of Column.
  static constexpr const char* kNames[kColumnCount] = {
      sql::column::kId,         sql::column::kSourceSize, sql::column::kSha2,
      sql::column::kMd5,        sql::column::kDuration,   sql::column::kSourcePath,
      sql::column::kSourceFileName, sql::column::kExtension, sql::column::kType,
      sql::column::kAudioTrack, sql::column::kAllTracks,  sql::column::kCreated,
      sql::column::kInfo,       sql::column::kRecords,    sql::column::kIndexData};
  index_.fill(-1);
  const int count = statement ? sqlite3_column_count(statement) : 0;
  for (int c = 0; c < count; ++c) {
    const char* name = sqlite3_column_name(statement, c);
    for (int k = 0; k < kColumnCount; ++k) {
      if (sqlite3_stricmp(name, kNames[k]) == 0) index_[k] = c;
    }
  }
}

bool TrackRowReader::HasEveryColumn() const {
  return std::none_of(index_.begin(), index_.end(), [](int c) { return c < 0; });
}

QString TrackRowReader::Text(Column column) const {
  const int c = index_[column];
  if (c < 0) return {};
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, c));
  return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement_, c)) : QString();
}

int64_t TrackRowReader::Integer(Column column) const {
  const int c = index_[column];
  return c < 0 ? 0 : sqlite3_column_int64(statement_, c);
}

void TrackRowReader::ReadInfo(TrackInfo& info) const {
  info.id = static_cast<int32_t>(Integer(kId));
  info.source_size = Integer(kSourceSize);
  info.sha2 = Text(kSha2);
  info.md5 = Text(kMd5);
  info.duration = static_cast<int32_t>(Integer(kDuration));
  info.source_path = Text(kSourcePath);
  info.source_file_name = Text(kSourceFileName);
  info.extension = Text(kExtension);
  info.type = Text(kType);
  info.audio_track = static_cast<int32_t>(Integer(kAudioTrack));
  info.all_tracks = static_cast<int32_t>(Integer(kAllTracks));
  info.created = Text(kCreated);
  info.info = Text(kInfo);
  info.records = static_cast<int32_t>(Integer(kRecords));
}

std::optional<std::span<const uint8_t>> TrackRowReader::IndexData() const {
  const int c = index_[kIndexData];
  if (c < 0 || sqlite3_column_type(statement_, c) == SQLITE_NULL) return std::nullopt;
  const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement_, c));
  return std::span<const uint8_t>(bytes, static_cast<size_t>(sqlite3_column_bytes(statement_, c)));
}

bool ReadTrackRow(sqlite3* db, int32_t id, TrackInfo& info, std::vector<uint8_t>& buffer) {
  const SqliteStatement query(db, sql::kSelectRow);
  if (!query.get() || sqlite3_bind_int(query.get(), sqlite3_bind_parameter_index(query.get(), ":ID"), id) != SQLITE_OK) {
    return false;
  }
  const int step = sqlite3_step(query.get());
  if (step == SQLITE_DONE) return true;
  if (step != SQLITE_ROW) return false;

  const TrackRowReader row(query.get());
  row.ReadInfo(info);
  if (!row.HasEveryColumn()) return false;
  const std::span<const uint8_t> blob = row.IndexData().value_or(std::span<const uint8_t>{});
  const auto available = static_cast<int64_t>(blob.size());
  const int64_t wanted = int64_t{std::max(info.records, int32_t{0})} * int64_t{IndexRecord::kSize};
  // A row whose count promises more than its blob holds is refused; the buffer
  // keeps only what is really there rather than a large zero-filled allocation.
  const int64_t kept = wanted <= available
                           ? wanted
                           : available / int64_t{IndexRecord::kSize} * int64_t{IndexRecord::kSize};
  buffer.assign(blob.begin(), blob.begin() + kept);
  return wanted <= available && info.records >= 0;
}

}  // namespace melo
