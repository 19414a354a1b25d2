#include "indexer/pipeline/audio_stream_decoder.h"

#include "base/path_utils.h"
#include "fingerprint/sample_buffer.h"
#include "indexer/pipeline/media_tools.h"
#include "indexer/pipeline/media_types.h"

#include <QFile>

namespace melo {

namespace {

bool ToRaw(const DecodingTools& tools, const QString& input, const QString& rawFile, const StopRequest& stop) {
  return ConvertToRaw(tools.sox, input, rawFile, tools.toolDir, 16, 2, kSampleRate, stop);
}

bool Stopped(const StopRequest& stop) { return stop && stop(); }

}  // namespace

StreamDecoding DecodeAudioStream(const DecodingTools& tools, const QString& mediaFile, int32_t track,
                                 const QString& wavFile, const QString& rawFile, const StopRequest& stop) {
  if (IsDirectAudioExtension(ExtractExtension(mediaFile))) {
    if (ToRaw(tools, mediaFile, rawFile, stop)) return StreamDecoding::Decoded;
    if (Stopped(stop)) return StreamDecoding::ConvertFailed;
    // Not every sox build reads every audio type (Debian's reads no Opus, AAC or
    // WMA): let ffmpeg decode the file first rather than refuse it.
    const bool converted = ExtractAudioTrack(tools.ffmpeg, mediaFile, wavFile, 0, tools.toolDir, stop) &&
                           ToRaw(tools, wavFile, rawFile, stop);
    QFile::remove(wavFile);
    return converted ? StreamDecoding::Decoded : StreamDecoding::ConvertFailed;
  }
  if (!ExtractAudioTrack(tools.ffmpeg, mediaFile, wavFile, track, tools.toolDir, stop)) {
    return StreamDecoding::ExtractFailed;
  }
  const bool converted = ToRaw(tools, wavFile, rawFile, stop);
  QFile::remove(wavFile);
  return converted ? StreamDecoding::Decoded : StreamDecoding::ConvertFailed;
}

}  // namespace melo
