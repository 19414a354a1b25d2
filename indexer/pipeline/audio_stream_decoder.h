#pragma once

#include "base/process_runner.h"

#include <QString>
#include <cstdint>

namespace melo {

// The programs a decoding runs, and the folder they run in.
struct DecodingTools {
  QString ffmpeg;
  QString sox;
  QString toolDir;
};

enum class StreamDecoding {
  Decoded,
  ExtractFailed,  // ffmpeg could not take the stream out of its container
  ConvertFailed,  // sox could not make the raw file
};

// Decodes audio stream `track` (0-based) of `mediaFile` into `rawFile`: headerless
// stereo 16-bit samples at 48 kHz, what LoadDecodedPcm reads. The route is the
// indexer's one: a file of an audio type (IsDirectAudioExtension) goes through sox
// directly, or through ffmpeg's WAV when this sox cannot read its type (its one
// stream is track 0); any other file has the stream extracted by ffmpeg into
// `wavFile` and converted by sox. The WAV is removed afterwards. Indexing and the
// adding of landmarks to stored rows both decode here, so that a track gives the
// same samples either way.
StreamDecoding DecodeAudioStream(const DecodingTools& tools, const QString& mediaFile, int32_t track,
                                 const QString& wavFile, const QString& rawFile, const StopRequest& stop = {});

}  // namespace melo
