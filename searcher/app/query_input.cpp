#include "searcher/app/query_input.h"

#include "fingerprint/sample_buffer.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace melo {

namespace {

constexpr qint64 kWavHeaderSize = 44;

// True for the 44-byte header of a mono 48 kHz 16-bit PCM WAV.
bool IsSearcherWav(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray h = file.read(kWavHeaderSize);
  if (h.size() < kWavHeaderSize || !h.startsWith("RIFF") || h.mid(8, 8) != "WAVEfmt " || h.mid(36, 4) != "data") {
    return false;
  }
  auto u16 = [&](int at) { return static_cast<uint16_t>(uint8_t(h[at]) | uint8_t(h[at + 1]) << 8); };
  uint32_t rate = 0;
  std::memcpy(&rate, h.constData() + 24, 4);
  return u16(20) == 1 && u16(22) == 1 && rate == 48000 && u16(34) == 16;
}

QString Seconds(double seconds) { return QString::number(seconds, 'f', 1) + QStringLiteral(" s"); }

QueryInput Failed(QueryInputProblem problem, const QString& error) { return {{}, problem, error}; }

QueryInput TooLong(const QueryExcerpt& excerpt) {
  return Failed(QueryInputProblem::TooLong, QStringLiteral("lasts more than %1 s: give --start S to search Q "
                                                           "seconds of it")
                                                .arg(excerpt.longestWhole));
}

// The first sample of the excerpt, and how many samples it may take at most.
int64_t FirstSample(const QueryExcerpt& excerpt) {
  return excerpt.start < 0 ? 0 : std::llround(excerpt.start * kSampleRate);
}
int64_t SampleLimit(const QueryExcerpt& excerpt) {
  return int64_t{excerpt.start < 0 ? excerpt.longestWhole : excerpt.seconds} * kSampleRate;
}

// Samples of a headerless (after `offset` bytes) 16-bit file, the excerpt only.
QueryInput ReadSamples(const QString& path, qint64 offset, const QueryExcerpt& excerpt) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return Failed(QueryInputProblem::CannotOpen, QStringLiteral("cannot open the file"));
  }
  const int64_t total = std::max<qint64>(file.size() - offset, 0) / 2;
  const int64_t first = FirstSample(excerpt);
  if (excerpt.start < 0 && total > SampleLimit(excerpt)) return TooLong(excerpt);
  if (excerpt.start >= 0 && first >= total) {
    return Failed(QueryInputProblem::PastEnd, QStringLiteral("--start %1 is past the end of the file (%2)")
                                                  .arg(Seconds(excerpt.start), Seconds(double(total) / kSampleRate)));
  }
  const int64_t count = std::min(total - first, SampleLimit(excerpt));
  QueryInput input;
  input.samples.resize(static_cast<size_t>(count));
  const qint64 bytes = count * 2;
  if (!file.seek(offset + first * 2) ||
      file.read(reinterpret_cast<char*>(input.samples.data()), bytes) != bytes) {
    return Failed(QueryInputProblem::ShortFile, QStringLiteral("the file is shorter than expected"));
  }
  return input;
}

// Decodes with ffmpeg, the excerpt only, stopping the decoder as soon as a whole
// file turns out longer than a query may be.
QueryInput Decode(const QString& path, const QString& ffmpeg, const QueryExcerpt& excerpt) {
  if (ffmpeg.isEmpty()) {
    return Failed(QueryInputProblem::NoDecoder,
                  QStringLiteral("ffmpeg, needed to decode this file, is not on the search path"));
  }
  QStringList arguments = {"-v", "error", "-nostdin", "-i", path, "-vn", "-ac", "1", "-ar", "48000"};
  if (excerpt.start >= 0) {
    // After the input: the decoded samples before the start are dropped exactly.
    arguments << "-ss" << QString::number(excerpt.start, 'f', 6) << "-t" << QString::number(excerpt.seconds);
  }
  arguments << "-f" << "s16le" << "-";
  QProcess process;
  process.start(ffmpeg, arguments);
  if (!process.waitForStarted(-1)) {
    return Failed(QueryInputProblem::NoDecoder,
                  QStringLiteral("cannot start %1: %2").arg(ffmpeg, process.errorString()));
  }
  const qint64 limit = SampleLimit(excerpt) * 2;
  QByteArray bytes;
  while (bytes.size() <= limit && process.waitForReadyRead(-1)) bytes += process.readAllStandardOutput();
  if (bytes.size() > limit) {
    process.kill();
    process.waitForFinished(-1);
    if (excerpt.start < 0) return TooLong(excerpt);
    bytes.truncate(limit);
  } else {
    process.waitForFinished(-1);
    bytes += process.readAllStandardOutput();
  }
  const QString said = QString::fromUtf8(process.readAllStandardError()).trimmed();
  if (bytes.size() < 2) {
    if (excerpt.start >= 0 && process.exitCode() == 0) {
      return Failed(QueryInputProblem::PastEnd,
                    QStringLiteral("--start %1 is past the end of the file").arg(Seconds(excerpt.start)));
    }
    return Failed(QueryInputProblem::DecodeFailed, QStringLiteral("ffmpeg decoded no audio: %1").arg(said));
  }
  QueryInput input;
  input.samples.resize(static_cast<size_t>(std::min<qint64>(bytes.size(), limit) / 2));
  std::memcpy(input.samples.data(), bytes.constData(), input.samples.size() * 2);
  return input;
}

}  // namespace

QueryInput ReadQueryMedia(const QString& path, const QString& ffmpeg, const QueryExcerpt& excerpt) {
  const QFileInfo file(path);
  if (!file.exists()) return Failed(QueryInputProblem::NoFile, QStringLiteral("no such file"));
  if (!file.isFile()) return Failed(QueryInputProblem::NoFile, QStringLiteral("not a file"));
  if (path.endsWith(QLatin1String(".dat"))) return ReadSamples(path, 0, excerpt);
  if (path.endsWith(QLatin1String(".wav")) && IsSearcherWav(path)) return ReadSamples(path, kWavHeaderSize, excerpt);
  return Decode(path, ffmpeg, excerpt);
}

int32_t QuerySecondsOf(size_t samples) {
  return std::clamp(static_cast<int32_t>(std::lround(static_cast<double>(samples) / kSampleRate)), 3, 7);
}

}  // namespace melo
