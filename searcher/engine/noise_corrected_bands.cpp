#include "searcher/engine/noise_corrected_bands.h"

#include "fingerprint/index_record.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

namespace melo {

namespace {

constexpr int32_t kDraws = 16;
constexpr double kLeastNoise = 1.0;

// kDraws frames of unit Gaussian noise from a fixed seed, shared by all threads.
const std::vector<float>& NoiseBank() {
  static const std::vector<float> bank = [] {
    std::vector<float> values(static_cast<size_t>(kDraws) * kFrameSize);
    std::mt19937 generator(20261207);
    std::normal_distribution<float> gaussian(0.0f, 1.0f);
    for (float& v : values) v = gaussian(generator);
    return values;
  }();
  return bank;
}

int16_t ToSample(double v) { return static_cast<int16_t>(std::clamp(std::lrint(v), -32768L, 32767L)); }

}  // namespace

NoiseCorrectedBands::NoiseCorrectedBands()
    : fft_(kFrameSize), re_(kFrameSize), im_(kFrameSize), frame_(kFrameSize + 1, 0) {}

void NoiseCorrectedBands::Remove(const Bias& bias, uint8_t* bytes) {
  for (int32_t c = 0; c < IndexRecord::kBands; ++c) {
    bytes[c] = static_cast<uint8_t>(std::clamp(bytes[c] - bias[c], 0, 255));
  }
}

NoiseCorrectedBands::Bias NoiseCorrectedBands::BiasAt(const int16_t* samples, int32_t position,
                                                      double noiseSigma) {
  Bias bias{};
  // Noise below one sample step leaves the bytes as they are (and could leave a
  // noisy copy of a silent estimate without any sample to normalise by).
  if (noiseSigma < kLeastNoise) return bias;

  const int16_t* x = samples + position - kFrameHalf;
  for (int32_t n = 0; n < kFrameSize; ++n) {
    re_[n] = x[n];
    im_[n] = 0.0;
  }
  fft_.Forward(re_.data(), im_.data());
  const double noisePower = kFrameSize * noiseSigma * noiseSigma;
  for (int32_t k = 0; k < kFrameSize; ++k) {
    const double power = re_[k] * re_[k] + im_[k] * im_[k];
    const double gain = power > noisePower ? std::sqrt(1.0 - noisePower / power) : 0.0;
    re_[k] *= gain;
    im_[k] *= gain;
  }
  fft_.Inverse(re_.data(), im_.data());

  std::array<double, IndexRecord::kBands> estimateBands{};
  bool silent = true;
  for (int32_t n = 0; n < kFrameSize; ++n) {
    frame_[n] = ToSample(re_[n]);
    silent = silent && frame_[n] == 0;
  }
  // A frame that is all noise has no band energy of its own.
  if (!silent) {
    uint8_t bytes[IndexRecord::kBands];
    builder_.ComputeBandBytes(frame_.data(), kFrameSize + 1, kFrameHalf, bytes);
    for (int32_t c = 0; c < IndexRecord::kBands; ++c) estimateBands[c] = bytes[c];
  }

  std::array<double, IndexRecord::kBands> noisyBands{};
  const float* noise = NoiseBank().data();
  for (int32_t d = 0; d < kDraws; ++d, noise += kFrameSize) {
    for (int32_t n = 0; n < kFrameSize; ++n) frame_[n] = ToSample(re_[n] + noiseSigma * noise[n]);
    uint8_t bytes[IndexRecord::kBands];
    builder_.ComputeBandBytes(frame_.data(), kFrameSize + 1, kFrameHalf, bytes);
    for (int32_t c = 0; c < IndexRecord::kBands; ++c) noisyBands[c] += bytes[c];
  }
  for (int32_t c = 0; c < IndexRecord::kBands; ++c) {
    bias[c] = static_cast<int16_t>(std::lround(noisyBands[c] / kDraws - estimateBands[c]));
  }
  return bias;
}

}  // namespace melo
