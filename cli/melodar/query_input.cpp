#include "cli/melodar/query_input.h"

#include "base/sample_files.h"

#include <QFile>
#include <QProcess>
#include <cstring>

namespace melo::cli {

namespace {

// True for the 44-byte header of a mono 48 kHz 16-bit PCM WAV.
bool IsSearcherWav(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray h = file.read(44);
  if (h.size() < 44 || !h.startsWith("RIFF") || h.mid(8, 8) != "WAVEfmt " || h.mid(36, 4) != "data") return false;
  auto u16 = [&](int at) { return static_cast<uint16_t>(uint8_t(h[at]) | uint8_t(h[at + 1]) << 8); };
  uint32_t rate = 0;
  std::memcpy(&rate, h.constData() + 24, 4);
  return u16(20) == 1 && u16(22) == 1 && rate == 48000 && u16(34) == 16;
}

QueryInput Decode(const QString& path, const QString& ffmpeg) {
  QueryInput input;
  QProcess process;
  process.start(ffmpeg, {"-v", "error", "-nostdin", "-i", path, "-vn", "-ac", "1", "-ar", "48000", "-f", "s16le", "-"});
  if (!process.waitForStarted(-1)) {
    input.error = QStringLiteral("cannot start %1").arg(ffmpeg);
    return input;
  }
  QByteArray bytes;
  while (process.waitForReadyRead(-1)) bytes += process.readAllStandardOutput();
  process.waitForFinished(-1);
  bytes += process.readAllStandardOutput();
  if (bytes.size() < 2) {
    input.error = QStringLiteral("ffmpeg decoded no audio: %1")
                      .arg(QString::fromUtf8(process.readAllStandardError()).trimmed());
    return input;
  }
  input.samples.resize(static_cast<size_t>(bytes.size() / 2));
  std::memcpy(input.samples.data(), bytes.constData(), input.samples.size() * 2);
  return input;
}

}  // namespace

QueryInput ReadQueryMedia(const QString& path, const QString& ffmpeg) {
  if (!QFile::exists(path)) return {{}, QStringLiteral("no such file")};
  if (path.endsWith(QLatin1String(".dat")) || (path.endsWith(QLatin1String(".wav")) && IsSearcherWav(path))) {
    SampleBuffer buffer;
    const SampleFileOutcome outcome = ReadSampleFile(path, buffer);
    if (outcome != SampleFileOutcome::Success) return {{}, QString::fromLatin1(DescribeSampleFileOutcome(outcome))};
    return {std::move(buffer.samples), {}};
  }
  return Decode(path, ffmpeg);
}

}  // namespace melo::cli
