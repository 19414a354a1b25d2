#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace melo::cli {

// The samples of a query file at 48 kHz mono 16-bit: a .dat, or a .wav with the
// searcher's own mono 48 kHz header, is read as the searcher reads saved queries;
// anything else (other WAVs, compressed audio, video) is decoded by ffmpeg. Empty
// `error` on success.
struct QueryInput {
  std::vector<int16_t> samples;
  QString error;
};

QueryInput ReadQueryMedia(const QString& path, const QString& ffmpeg);

}  // namespace melo::cli
