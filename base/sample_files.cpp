#include "base/sample_files.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

namespace melo {

static_assert(std::endian::native == std::endian::little,
              "sample files are little-endian and are read by copying bytes");

namespace {

constexpr qint64 kWavHeaderSize = 44;

void PutLe32(char* at, uint32_t value) { std::memcpy(at, &value, 4); }
void PutLe16(char* at, uint16_t value) { std::memcpy(at, &value, 2); }

std::array<char, kWavHeaderSize> MonoWavHeader(int32_t count) {
  std::array<char, kWavHeaderSize> h{};
  const uint32_t dataBytes = static_cast<uint32_t>(count) * 2u;
  std::memcpy(h.data(), "RIFF", 4);
  PutLe32(h.data() + 4, dataBytes + 36u);
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  PutLe32(h.data() + 16, 16);                 // format chunk size
  PutLe16(h.data() + 20, 1);                  // PCM
  PutLe16(h.data() + 22, 1);                  // channels
  PutLe32(h.data() + 24, kSampleRate);
  PutLe32(h.data() + 28, kSampleRate * 2);    // bytes per second
  PutLe16(h.data() + 32, 2);                  // bytes per frame
  PutLe16(h.data() + 34, 16);                 // bits per sample
  std::memcpy(h.data() + 36, "data", 4);
  PutLe32(h.data() + 40, dataBytes);
  return h;
}

bool WriteSamples(std::span<const int16_t> samples, const QString& path, bool withWavHeader) {
  if (samples.empty()) return false;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  if (withWavHeader) {
    const auto header = MonoWavHeader(static_cast<int32_t>(samples.size()));
    if (file.write(header.data(), kWavHeaderSize) != kWavHeaderSize) return false;
  }
  const qint64 bytes = static_cast<qint64>(samples.size_bytes());
  const bool complete = file.write(reinterpret_cast<const char*>(samples.data()), bytes) == bytes;
  file.close();
  return complete && file.error() == QFileDevice::NoError;
}

}  // namespace

int32_t LoadDecodedPcm(const QString& path, SampleBuffer& mono) {
  QFileInfo info(path);
  if (!info.exists() || !info.isFile()) return kPcmFileMissing;
  const qint64 size = info.size();
  if (size < 4) return kPcmFileTooShort;
  const qint64 frames = size / 4;
  if (frames > std::numeric_limits<int32_t>::max()) return kPcmFileTooLong;

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return kPcmReadError;

  std::vector<int16_t> out(static_cast<size_t>(frames));
  constexpr qint64 kChunkFrames = 1 << 16;
  std::vector<int16_t> stereo(static_cast<size_t>(kChunkFrames) * 2);
  for (qint64 done = 0; done < frames;) {
    const qint64 n = std::min(kChunkFrames, frames - done);
    const qint64 want = n * 4;
    if (file.read(reinterpret_cast<char*>(stereo.data()), want) != want) return kPcmReadError;
    const int16_t* in = stereo.data();
    int16_t* dst = out.data() + done;
    for (qint64 i = 0; i < n; ++i) {
      dst[i] = MixToMono(in[2 * i], in[2 * i + 1]);
    }
    done += n;
  }
  mono.samples = std::move(out);
  return mono.count();
}

bool SaveRawSamples(std::span<const int16_t> samples, const QString& path) {
  return WriteSamples(samples, path, false);
}

bool SaveWavSamples(std::span<const int16_t> samples, const QString& path) {
  return WriteSamples(samples, path, true);
}

SampleFileOutcome ReadSampleFile(const QString& path, SampleBuffer& out) {
  QFileInfo info(path);
  if (!info.exists()) return SampleFileOutcome::FileMissing;
  const qint64 size = info.size();

  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  const QString extension = dot < 0 ? QString() : path.mid(dot);
  qint64 offset = 0;
  if (extension == QLatin1String(".dat")) {
    offset = 0;
  } else if (extension == QLatin1String(".wav")) {
    offset = kWavHeaderSize;
  } else {
    return SampleFileOutcome::UnknownFileType;
  }

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return SampleFileOutcome::CannotOpen;
  if (size < offset) return SampleFileOutcome::ShortRead;
  const qint64 count = (size - offset) / 2;
  if (count > std::numeric_limits<int32_t>::max()) return SampleFileOutcome::CannotOpen;
  if (!file.seek(offset)) return SampleFileOutcome::ShortRead;

  std::vector<int16_t> samples(static_cast<size_t>(count));
  const qint64 bytes = count * 2;
  if (file.read(reinterpret_cast<char*>(samples.data()), bytes) != bytes) {
    return SampleFileOutcome::ShortRead;
  }
  out.samples = std::move(samples);
  return SampleFileOutcome::Success;
}

const char* DescribeSampleFileOutcome(SampleFileOutcome outcome) {
  switch (outcome) {
    case SampleFileOutcome::Success: return "success";
    case SampleFileOutcome::FileMissing: return "file not found";
    case SampleFileOutcome::UnknownFileType: return "unknown file type (expected .dat or .wav)";
    case SampleFileOutcome::CannotOpen: return "cannot open file";
    case SampleFileOutcome::ShortRead: return "file is shorter than expected";
  }
  return "unknown outcome";
}

}  // namespace melo
