#include "landmarks/short_time_spectrum.h"

#include "landmarks/landmark_settings.h"

#include <fftw3.h>

#include <cmath>
#include <mutex>
#include <numbers>
#include <vector>

namespace melo::landmarks {

namespace {

// FFTW's planner is not thread-safe; executing a plan on new arrays is.
std::mutex& PlannerLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

struct ShortTimeSpectrum::Transform {
  float* input = nullptr;
  fftwf_complex* output = nullptr;
  fftwf_plan plan = nullptr;
  std::vector<float> window;

  Transform() : window(kFrameSize) {
    input = fftwf_alloc_real(kFrameSize);
    output = fftwf_alloc_complex(kBins);
    {
      // FFTW_ESTIMATE chooses the same algorithm on every run (a measured plan may
      // not), so the same samples always give the same levels.
      std::lock_guard guard(PlannerLock());
      plan = fftwf_plan_dft_r2c_1d(kFrameSize, input, output, FFTW_ESTIMATE);
    }
    for (int32_t i = 0; i < kFrameSize; ++i) {
      window[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kFrameSize));
    }
  }
  ~Transform() {
    {
      std::lock_guard guard(PlannerLock());
      fftwf_destroy_plan(plan);
    }
    fftwf_free(output);
    fftwf_free(input);
  }
};

ShortTimeSpectrum::ShortTimeSpectrum() : transform_(std::make_unique<Transform>()) {}
ShortTimeSpectrum::~ShortTimeSpectrum() = default;

void ShortTimeSpectrum::Compute(const float* samples, int32_t frames, float* rows) {
  Transform& t = *transform_;
  for (int32_t f = 0; f < frames; ++f) {
    const float* x = samples + int64_t{f} * kHop;
    for (int32_t i = 0; i < kFrameSize; ++i) t.input[i] = x[i] * t.window[i];
    fftwf_execute_dft_r2c(t.plan, t.input, t.output);
    float* row = rows + int64_t{f} * kBins;
    for (int32_t k = 0; k < kBins; ++k) {
      const float re = t.output[k][0];
      const float im = t.output[k][1];
      row[k] = std::log(re * re + im * im + 1.0f);
    }
  }
}

}  // namespace melo::landmarks
