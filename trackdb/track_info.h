#pragma once

#include <QString>
#include <cstdint>

namespace melo {

// What makes a row's track the same track as another's: the same content (the
// source file's MD5 and size) and the same audio stream of it. The same content
// under another path or name is the same track.
struct TrackIdentity {
  QString md5;
  int64_t source_size = 0;
  int32_t audio_track = 0;

  bool operator==(const TrackIdentity&) const = default;
};

// One row of table Data without its binary columns. The fingerprint records travel
// beside it as records x 12 bytes.
struct TrackInfo {
  int32_t id = 0;
  int64_t source_size = 0;
  QString sha2;              // SHA-256 of the source file, lower-case hex
  QString md5;               // MD5 of the source file, lower-case hex
  int32_t duration = 0;      // whole seconds of the decoded track
  QString source_path;       // as it stood in the queue
  QString source_file_name;  // without folder and extension
  QString extension;         // without the dot, letter case as in the name
  QString type;              // "аудио", "видео" or empty
  int32_t audio_track = 0;   // 0-based stream number in the source file
  int32_t all_tracks = 0;    // audio streams in the source file
  QString created;           // the source file's modification time as text
  QString info;              // tag text, empty when none
  int32_t records = 0;       // 12-byte records in index_data

  TrackIdentity Identity() const { return {md5, source_size, audio_track}; }

  bool operator==(const TrackInfo&) const = default;
};

}  // namespace melo
