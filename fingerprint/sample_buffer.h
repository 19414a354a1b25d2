#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace melo {

// Mono signed 16-bit samples at 48000 Hz: the one format all analysis reads.
// 48000 positions are one second, 24000 half a second.
inline constexpr int32_t kSampleRate = 48000;
inline constexpr int32_t kHalfSecond = kSampleRate / 2;

struct SampleBuffer {
  std::vector<int16_t> samples;

  int32_t count() const noexcept { return static_cast<int32_t>(samples.size()); }
  const int16_t* data() const noexcept { return samples.data(); }
  std::span<const int16_t> span() const noexcept { return samples; }
};

// The mono sample of one stereo frame, as every stereo source is mixed down: the
// mean of the two channels, truncated toward zero.
inline int16_t MixToMono(int16_t left, int16_t right) noexcept {
  return static_cast<int16_t>((int32_t{left} + int32_t{right}) / 2);
}

}  // namespace melo
