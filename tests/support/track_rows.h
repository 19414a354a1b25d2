#pragma once

#include "indexer/database/landmark_record.h"
#include "landmarks/landmark_blob.h"
#include "trackdb/track_info.h"

#include <vector>

namespace melo::testing {

// A row of an audio file with every column filled and `records` records, named
// after its MD5 and found at /m/<md5>.mp3 unless a path is given.
inline TrackInfo AudioRow(const QString& md5, int32_t records, const QString& path = {}) {
  TrackInfo t;
  t.source_size = 1000;
  t.sha2 = "s";
  t.md5 = md5;
  t.duration = records / 2;
  t.source_path = path.isEmpty() ? "/m/" + md5 + ".mp3" : path;
  t.source_file_name = md5;
  t.extension = "mp3";
  t.type = "аудио";
  t.all_tracks = 1;
  t.created = "date";
  t.info = "Artist: x";
  t.records = records;
  return t;
}

// Records whose 16-bit words are all positive: nothing for the check to find.
inline std::vector<uint8_t> PositiveRecords(int32_t records) {
  return std::vector<uint8_t>(static_cast<size_t>(records) * 12, 1);
}

// `count` landmarks of a track of `frames` frames, different for each seed: one
// every seven frames from frame `seed`.
inline LandmarkRecord SomeLandmarks(int32_t seed, int32_t count = 20, int32_t frames = 2000) {
  std::vector<landmarks::Landmark> list;
  for (int32_t i = 0; i < count; ++i) {
    list.push_back({static_cast<uint32_t>((seed * 7919 + i * 104729) % landmarks::kHashCount), seed + 7 * i});
  }
  return {frames, count, landmarks::EncodeLandmarks(list)};
}

}  // namespace melo::testing
