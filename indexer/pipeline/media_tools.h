#pragma once

#include "base/process_runner.h"

#include <QString>
#include <optional>

namespace melo {

// The external tools that decode media, with their command lines (a tool path with
// a blank is quoted; file paths always are). Every call blocks until the tool has
// ended, or until `stop` asks for its end (the tool is killed then). A decoding
// counts only when the tool ended with success and left its file: a tool that
// failed or was killed may have written half a track, which is removed.
// ffprobe and the tag tool print into "outfile.rp" / "errfile.rp" of the caller's
// work subdirectory.

inline const QString kToolOutputFile = QStringLiteral("outfile.rp");
inline const QString kToolErrorFile = QStringLiteral("errfile.rp");

// The ffprobe program beside the configured ffmpeg: the file name "ffmpeg" becomes
// "ffprobe" ("ffmpeg.exe" becomes "ffprobe.exe"), letter case as written. Any other
// name is kept, and then ffmpeg itself gets ffprobe's arguments and reports nothing.
QString FfprobePathFor(const QString& ffmpegPath);

// Number of audio streams; 0 when ffprobe reads the file and finds none.
// kProbeFailed when ffprobe could not be started, failed (a damaged or foreign
// file) or was stopped: then nothing is known of the file, and it must not pass
// for one without audio. *problem then gets ffprobe's own message.
inline constexpr int32_t kProbeFailed = -1;
int32_t CountAudioStreams(const QString& ffmpegPath, const QString& mediaFile, const QString& workSubdir,
                          QString* problem = nullptr, const StopRequest& stop = {});

// Extracts audio stream `track` (0-based) into wavFile; true when ffmpeg succeeded
// and wavFile exists.
bool ExtractAudioTrack(const QString& ffmpegPath, const QString& mediaFile, const QString& wavFile,
                       int32_t track, const QString& toolDir, const StopRequest& stop = {});

// Converts to headerless signed samples; true when sox succeeded and rawFile exists.
bool ConvertToRaw(const QString& soxPath, const QString& inputFile, const QString& rawFile,
                  const QString& toolDir, int32_t bits, int32_t channels, int32_t rate,
                  const StopRequest& stop = {});

// The tag text for the column `info`: the tool's lines after its heading, trimmed,
// each ending in CR LF; empty when the tool cannot read the file, prints nothing or
// prints the empty tag set. Nothing (an error) when its output is cut short.
std::optional<QString> ReadTags(const QString& toolPath, const QString& mediaFile, const QString& workSubdir,
                                const StopRequest& stop = {});

}  // namespace melo
