#pragma once

#include "fingerprint/sample_buffer.h"

#include <QString>
#include <cstdint>
#include <span>

namespace melo {

// Result codes of LoadDecodedPcm; a count of 1 or more means success.
inline constexpr int32_t kPcmFileMissing = -1;
inline constexpr int32_t kPcmFileTooShort = -2;   // fewer than 4 bytes: not one stereo frame
inline constexpr int32_t kPcmReadError = -3;      // exists but cannot be opened or reads short
inline constexpr int32_t kPcmFileTooLong = -4;    // more stereo frames than a 32-bit count holds

// Reads the converter's headerless stereo 16-bit little-endian file and mixes it
// down to mono (MixToMono: the channels' mean, truncated toward zero). Trailing bytes
// that do not make a whole frame are ignored. The file size is taken in 64 bits,
// so files of 2 GiB and more are read whole; only a frame count beyond 2^31 - 1 is
// refused. The stereo data is streamed in chunks, so memory holds the mono
// samples only.
int32_t LoadDecodedPcm(const QString& path, SampleBuffer& mono);

// Raw query file: the sample array byte for byte. False when there are no samples,
// the file cannot be created, or not every sample was written.
bool SaveRawSamples(std::span<const int16_t> samples, const QString& path);
// WAV query file: the fixed 44-byte header (mono, 48000 Hz, 16 bits), then the samples.
bool SaveWavSamples(std::span<const int16_t> samples, const QString& path);

enum class SampleFileOutcome { Success, FileMissing, UnknownFileType, CannotOpen, ShortRead };

// Reads a raw ".dat" or WAV ".wav" query file (extension compared exactly, case
// included). A WAV's 44 header bytes are skipped unchecked, so any WAV is taken as
// mono 48000 Hz 16-bit. A ".wav" shorter than its header is a short read.
SampleFileOutcome ReadSampleFile(const QString& path, SampleBuffer& out);

// English text for diagnostics and command-line tools.
const char* DescribeSampleFileOutcome(SampleFileOutcome outcome);

}  // namespace melo
