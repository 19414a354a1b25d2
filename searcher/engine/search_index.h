#pragma once

#include "searcher/engine/band_filter.h"
#include "searcher/engine/landmark_index.h"
#include "trackdb/track_info.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace melo {

// One track's fingerprint in memory: count 12-byte records, copied verbatim from
// its index_data. Tracks whose blob could not be read are kept with loaded = false
// and never searched.
struct TrackIndex {
  int32_t count = 0;
  std::vector<uint8_t> records;
  bool loaded = false;
};

// The whole database in memory. Both arrays are indexed by the track number: the
// row order of "SELECT * FROM Data".
struct SearchIndex {
  int32_t recordsCount = -2;  // -2 before counting, -1 when counting failed
  QString loadError;          // why counting failed, in SQLite's words ("database is locked")
  std::vector<TrackInfo> infos;
  std::vector<TrackIndex> tracks;
  int32_t loadedTracks = 0;
  int32_t readErrors = 0;
  int64_t totalRecords = 0;
  double loadTimeMs = 0;  // the filter's build included
  // Built by the load over the loaded tracks; without it every search is a full scan.
  std::unique_ptr<BandFilter> filter;
  // The loaded tracks' landmarks, built by the load beside the filter; null when the
  // file has no Landmarks table (then the robust search has nothing to look in).
  std::unique_ptr<LandmarkIndex> landmarks;
  int32_t landmarkTracks = 0;     // loaded tracks with landmarks of this version
  int64_t landmarkFrames = 0;     // and their spectra (62.5 a second)
  int32_t landmarkProblems = 0;   // loaded tracks whose landmarks are missing, old or damaged

  int32_t TrackCount() const { return static_cast<int32_t>(tracks.size()); }
};

}  // namespace melo
