#include "indexer/pipeline/media_tools.h"

#include "base/path_utils.h"
#include "base/process_runner.h"

#include <QFile>
#include <QStringList>

namespace melo {

namespace {

QStringList ReadLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // after the last line end
  for (QString& line : lines) {
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
  }
  return lines;
}

// A tool's path as the first word of its command line: as written, but quoted when
// it holds a blank or a quote, since the command line is split at blanks.
QString Program(const QString& path) {
  return path.contains(QLatin1Char(' ')) || path.contains(QLatin1Char('"')) ? QuoteCommandArgument(path) : path;
}

void RemoveIfPresent(const QString& path) {
  if (QFile::exists(path)) QFile::remove(path);
}

// Whether the tool left a whole output file; what a failed or stopped tool wrote
// is removed.
bool OutputComplete(ProcessResult result, const QString& output) {
  if (result == ProcessResult::Succeeded && QFile::exists(output)) return true;
  RemoveIfPresent(output);
  return false;
}

}  // namespace

QString FfprobePathFor(const QString& ffmpegPath) {
  const QString name = ExtractNamePart(ffmpegPath);
  const QString dir = ffmpegPath.left(ffmpegPath.size() - name.size());
  if (name == QLatin1String("ffmpeg")) return dir + QStringLiteral("ffprobe");
  if (name == QLatin1String("ffmpeg.exe")) return dir + QStringLiteral("ffprobe.exe");
  return ffmpegPath;
}

int32_t CountAudioStreams(const QString& ffmpegPath, const QString& mediaFile, const QString& workSubdir,
                          QString* problem, const StopRequest& stop) {
  const QString ffprobe = FfprobePathFor(ffmpegPath);
  const QString command = Program(ffprobe) +
                          QStringLiteral(" -v error -select_streams a -show_entries stream=index -of csv=p=0 ") +
                          QuoteCommandArgument(mediaFile);
  const QString errors = JoinPath(workSubdir, kToolErrorFile);
  const ProcessResult result =
      RunProcessWithFiles(command, workSubdir, {}, JoinPath(workSubdir, kToolOutputFile), errors, stop);
  if (result == ProcessResult::Succeeded) {
    return static_cast<int32_t>(ReadLines(JoinPath(workSubdir, kToolOutputFile)).size());
  }
  if (problem) {
    const QString said = ReadLines(errors).join(QLatin1Char(' ')).trimmed();
    *problem = result == ProcessResult::NotStarted ? QStringLiteral("cannot start ") + ffprobe
               : result == ProcessResult::Stopped  ? QStringLiteral("stopped")
               : said.isEmpty()                    ? ffprobe + QStringLiteral(" failed")
                                                   : said;
  }
  return kProbeFailed;
}

bool ExtractAudioTrack(const QString& ffmpegPath, const QString& mediaFile, const QString& wavFile,
                       int32_t track, const QString& toolDir, const StopRequest& stop) {
  RemoveIfPresent(wavFile);
  const QString command = Program(ffmpegPath) + QStringLiteral(" -i ") + QuoteCommandArgument(mediaFile) +
                          QStringLiteral(" -vn -map 0:a:%1 ").arg(track) + QuoteCommandArgument(wavFile);
  return OutputComplete(RunProcessAndWait(command, toolDir, stop), wavFile);
}

bool ConvertToRaw(const QString& soxPath, const QString& inputFile, const QString& rawFile,
                  const QString& toolDir, int32_t bits, int32_t channels, int32_t rate,
                  const StopRequest& stop) {
  RemoveIfPresent(rawFile);
  const QString command =
      Program(soxPath) + QLatin1Char(' ') + QuoteCommandArgument(inputFile) +
      QStringLiteral(" --bits %1 --channels %2 --encoding signed-integer --rate %3 --type raw ")
          .arg(bits)
          .arg(channels)
          .arg(rate) +
      QuoteCommandArgument(rawFile);
  return OutputComplete(RunProcessAndWait(command, toolDir, stop), rawFile);
}

std::optional<QString> ReadTags(const QString& toolPath, const QString& mediaFile, const QString& workSubdir,
                                const StopRequest& stop) {
  const QString output = JoinPath(workSubdir, kToolOutputFile);
  const ProcessResult result =
      RunProcessWithFiles(QuoteCommandArgument(toolPath) + QLatin1Char(' ') + QuoteCommandArgument(mediaFile),
                          workSubdir, {}, output, JoinPath(workSubdir, kToolErrorFile), stop);
  // No tool: no tags, and no error.
  if (result == ProcessResult::NotStarted || result == ProcessResult::Stopped || !QFile::exists(output)) {
    return QString();
  }
  QStringList lines = ReadLines(output);
  if (lines.isEmpty()) return std::nullopt;
  if (lines.first() == QLatin1String("Couldn't process given file")) return QString();
  lines.removeFirst();  // the tool's heading
  for (QString& line : lines) line = line.trimmed();

  static const QStringList kNoTags = {"Artist:", "Title:", "Album:", "Year: 0", "Track: 0", "Genre:"};
  for (qsizetype i = 0; i < kNoTags.size(); ++i) {
    if (i >= lines.size()) return std::nullopt;  // cut short while it still looked like no tags
    if (lines[i] != kNoTags[i]) break;
    if (i == kNoTags.size() - 1) return QString();
  }
  QString text;
  for (const QString& line : lines) text += line + QStringLiteral("\r\n");
  return text;
}

}  // namespace melo
