#include "synth/music_like_signal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace melo::synth {

namespace {

// xorshift32: tiny, fast and identical on every platform.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  double Uniform() { return (Next() >> 8) * (1.0 / 16777216.0); }  // [0, 1)
  double Between(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

 private:
  uint32_t state_;
};

// A sine by the two-term recurrence y[n] = 2 cos(w) y[n-1] - y[n-2]: one multiply
// per sample, stable over the length of a note.
struct Oscillator {
  double coefficient, previous, current;
  Oscillator(double radiansPerSample, double phase)
      : coefficient(2.0 * std::cos(radiansPerSample)),
        previous(std::sin(phase - radiansPerSample)),
        current(std::sin(phase)) {}
  double Next() {
    const double out = current;
    const double next = coefficient * current - previous;
    previous = current;
    current = next;
    return out;
  }
};

}  // namespace

std::vector<int16_t> MusicLikeSignal(uint32_t seed, int32_t sampleCount) {
  Random random(seed);
  std::vector<double> mix(static_cast<size_t>(sampleCount), 0.0);
  constexpr double kRate = 48000.0;

  // Two voices of notes plus a percussion track.
  for (int voice = 0; voice < 2; ++voice) {
    for (int32_t start = 0; start < sampleCount;) {
      const int32_t length = static_cast<int32_t>(random.Between(0.15, 0.6) * kRate);
      const int32_t end = std::min(sampleCount, start + length);
      const double pitch = 55.0 * std::pow(2.0, std::floor(random.Between(voice * 12.0, 48.0 + voice * 12.0)) / 12.0);
      const double loudness = random.Between(0.05, 0.45);
      const int harmonics = 1 + static_cast<int>(random.Uniform() * 5);
      for (int h = 1; h <= harmonics; ++h) {
        const double frequency = pitch * h;
        if (frequency > 9000.0) break;
        Oscillator osc(2.0 * std::numbers::pi * frequency / kRate, random.Between(0, 6.28));
        const double weight = loudness / h;
        const double decay = std::exp(-random.Between(1.0, 6.0) / kRate);
        double envelope = 1.0;
        for (int32_t i = start; i < end; ++i) {
          const double attack = std::min(1.0, (i - start) / 240.0);
          mix[i] += weight * attack * envelope * osc.Next();
          envelope *= decay;
        }
      }
      start = end;
    }
  }
  for (int32_t start = 0; start < sampleCount;) {
    start += static_cast<int32_t>(random.Between(0.2, 0.8) * kRate);
    const int32_t end = std::min(sampleCount, start + 2400);
    const double loudness = random.Between(0.05, 0.3);
    double envelope = 1.0;
    for (int32_t i = start; i < end; ++i) {
      mix[i] += loudness * envelope * random.Between(-1.0, 1.0);
      envelope *= 0.9985;
    }
  }

  std::vector<int16_t> out(static_cast<size_t>(sampleCount));
  double gain = 1.0;
  for (int32_t i = 0; i < sampleCount; ++i) {
    if (i % 96000 == 0) gain = random.Between(0.3, 1.0);  // loudness varies every 2 s
    const double noise = random.Between(-0.003, 0.003);
    const double v = std::clamp((mix[i] * gain + noise) * 32767.0 * 0.6, -32768.0, 32767.0);
    out[i] = static_cast<int16_t>(std::lround(v));
  }
  return out;
}

std::vector<int16_t> FrameTone(double cyclesPerFrame, double amplitude, int32_t count) {
  std::vector<int16_t> out(static_cast<size_t>(count));
  for (int32_t t = 0; t < count; ++t) {
    out[t] = static_cast<int16_t>(
        std::lround(amplitude * std::sin(2.0 * std::numbers::pi * cyclesPerFrame * t / 2048.0)));
  }
  return out;
}

}  // namespace melo::synth
