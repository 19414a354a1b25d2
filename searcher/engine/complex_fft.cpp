#include "searcher/engine/complex_fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace melo {

ComplexFft::ComplexFft(int32_t size) : size_(size), bitReversed_(static_cast<size_t>(size)) {
  int32_t bits = 0;
  while ((1 << bits) < size) ++bits;
  for (int32_t i = 0; i < size; ++i) {
    int32_t r = 0;
    for (int32_t b = 0; b < bits; ++b) r |= ((i >> b) & 1) << (bits - 1 - b);
    bitReversed_[i] = r;
  }
  twiddles_.resize(static_cast<size_t>(size / 2));
  for (int32_t k = 0; k < size / 2; ++k) twiddles_[k] = std::polar(1.0, -2.0 * std::numbers::pi * k / size);
}

void ComplexFft::Inverse(std::vector<std::complex<double>>& data) const {
  Transform(data, true);
  const double scale = 1.0 / size_;
  for (auto& v : data) v *= scale;
}

void ComplexFft::Transform(std::vector<std::complex<double>>& data, bool inverse) const {
  for (int32_t i = 0; i < size_; ++i) {
    if (i < bitReversed_[i]) std::swap(data[i], data[bitReversed_[i]]);
  }
  for (int32_t half = 1; half < size_; half *= 2) {
    const int32_t stride = size_ / (2 * half);
    for (int32_t start = 0; start < size_; start += 2 * half) {
      for (int32_t k = 0; k < half; ++k) {
        const std::complex<double> w = inverse ? std::conj(twiddles_[k * stride]) : twiddles_[k * stride];
        const std::complex<double> odd = w * data[start + k + half];
        data[start + k + half] = data[start + k] - odd;
        data[start + k] += odd;
      }
    }
  }
}

}  // namespace melo
