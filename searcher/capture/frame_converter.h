#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace melo {

// Turns a recording device's own frames into the 48 kHz 16-bit stereo frames the
// capture ring takes, for devices that cannot deliver those directly: samples to
// 16 bits, channels to two (mono doubled; of more, the first two), the rate to
// 48000 by linear interpolation. It keeps what it needs between chunks (a cut
// frame, the last frame, the resampling phase), so however the stream is cut into
// chunks the output is the same.
class FrameConverter {
 public:
  enum class SampleFormat { UInt8, Int16, Int32, Float };
  static constexpr int32_t kRate = 48000;

  FrameConverter(int32_t rate, int32_t channels, SampleFormat format);

  // Appends the frames the bytes complete to `out` as interleaved left, right.
  void Convert(const uint8_t* bytes, size_t size, std::vector<int16_t>& out);

 private:
  struct Frame {
    int16_t left = 0, right = 0;
  };
  Frame Decode(const uint8_t* frame) const;
  int16_t Sample(const uint8_t* at) const;
  void Resample(const std::vector<Frame>& frames, std::vector<int16_t>& out);

  const int32_t channels_;
  const SampleFormat format_;
  const size_t sampleBytes_;
  const size_t frameBytes_;
  const int64_t rate_;
  const bool passThrough_;
  std::vector<uint8_t> cut_;  // the start of a frame the last chunk ended inside
  std::vector<Frame> frames_;
  // Output frame k lies at input frame k * rate / 48000, counted exactly from the
  // stream's start, so that no rounding depends on where chunks begin.
  int64_t consumed_ = 0;  // input frames before the current chunk
  Frame previous_;        // the last of them
  int64_t next_ = 0;      // the next output frame
};

}  // namespace melo
