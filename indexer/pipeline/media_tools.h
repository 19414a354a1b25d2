#pragma once

#include <QString>
#include <optional>

namespace melo {

// The external tools that decode media, with their command lines (a tool path with
// a blank is quoted; file paths always are). Every call blocks
// until the tool has ended; results are judged only by the files the tool leaves.
// ffprobe and the tag tool print into "outfile.rp" / "errfile.rp" of the caller's
// work subdirectory.

inline const QString kToolOutputFile = QStringLiteral("outfile.rp");
inline const QString kToolErrorFile = QStringLiteral("errfile.rp");

// The ffprobe program beside the configured ffmpeg: the file name "ffmpeg" becomes
// "ffprobe" ("ffmpeg.exe" becomes "ffprobe.exe"), letter case as written. Any other
// name is kept, and then ffmpeg itself gets ffprobe's arguments and reports nothing.
QString FfprobePathFor(const QString& ffmpegPath);

// Number of audio streams; 0 when ffprobe reports none (or cannot read the file).
// kProbeFailed when ffprobe itself could not be started: then nothing is known of
// the file, and it must not pass for one without audio.
inline constexpr int32_t kProbeFailed = -1;
int32_t CountAudioStreams(const QString& ffmpegPath, const QString& mediaFile, const QString& workSubdir);

// Extracts audio stream `track` (0-based) into wavFile; true when wavFile exists.
bool ExtractAudioTrack(const QString& ffmpegPath, const QString& mediaFile, const QString& wavFile,
                       int32_t track, const QString& toolDir);

// Converts to headerless signed samples; true when rawFile exists afterwards.
bool ConvertToRaw(const QString& soxPath, const QString& inputFile, const QString& rawFile,
                  const QString& toolDir, int32_t bits, int32_t channels, int32_t rate);

// The tag text for the column `info`: the tool's lines after its heading, trimmed,
// each ending in CR LF; empty when the tool cannot read the file, prints nothing or
// prints the empty tag set. Nothing (an error) when its output is cut short.
std::optional<QString> ReadTags(const QString& toolPath, const QString& mediaFile, const QString& workSubdir);

}  // namespace melo
