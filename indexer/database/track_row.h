#pragma once

#include "indexer/database/track_info.h"

#include <cstdint>
#include <vector>

namespace SQLite {
class Database;
}

namespace melo {

// Reads row `id` (all of it) into info and its fingerprint into buffer. True also
// when no row has that id; then nothing is changed. When the row's index_data is
// shorter than records x 12 bytes the result is false, and buffer holds what the
// blob has (whole records). Throws what SQLite throws.
bool ReadTrackRow(SQLite::Database& db, int32_t id, TrackInfo& info, std::vector<uint8_t>& buffer);

}  // namespace melo
