#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace melo::cli {

// The part of a file that becomes the query: `seconds` from `start`, or with a
// negative start the whole file, which may last at most `longestWhole` seconds.
struct QueryExcerpt {
  double start = -1;
  int32_t seconds = 4;
  int32_t longestWhole = 60;
};

// The samples of a query file at 48 kHz mono 16-bit: a .dat, or a .wav with the
// searcher's own mono 48 kHz header, is read as the searcher reads saved queries;
// anything else (other WAVs, compressed audio, video) is decoded by ffmpeg. Only
// the excerpt is ever read or kept: sizes are judged from the file's length (or
// the decoder's output so far) before anything is allocated. Empty `error` on
// success, otherwise the reason in English.
struct QueryInput {
  std::vector<int16_t> samples;
  QString error;
};

QueryInput ReadQueryMedia(const QString& path, const QString& ffmpeg, const QueryExcerpt& excerpt);

}  // namespace melo::cli
