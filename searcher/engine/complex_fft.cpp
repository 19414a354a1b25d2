#include "searcher/engine/complex_fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace melo {

ComplexFft::ComplexFft(int32_t size)
    : size_(size), bitReversed_(static_cast<size_t>(size)), twiddleRe_(size), twiddleIm_(size) {
  int32_t bits = 0;
  while ((1 << bits) < size) ++bits;
  for (int32_t i = 0; i < size; ++i) {
    int32_t r = 0;
    for (int32_t b = 0; b < bits; ++b) r |= ((i >> b) & 1) << (bits - 1 - b);
    bitReversed_[i] = r;
  }
  for (int32_t half = 1; half < size; half *= 2) {
    for (int32_t k = 0; k < half; ++k) {
      twiddleRe_[half + k] = std::cos(std::numbers::pi * k / half);
      twiddleIm_[half + k] = -std::sin(std::numbers::pi * k / half);
    }
  }
}

void ComplexFft::Inverse(double* re, double* im) const {
  Transform(re, im, -1.0);
  const double scale = 1.0 / size_;
  for (int32_t i = 0; i < size_; ++i) {
    re[i] *= scale;
    im[i] *= scale;
  }
}

void ComplexFft::Transform(double* re, double* im, double sign) const {
  for (int32_t i = 0; i < size_; ++i) {
    const int32_t j = bitReversed_[i];
    if (i < j) {
      std::swap(re[i], re[j]);
      std::swap(im[i], im[j]);
    }
  }
  for (int32_t half = 1; half < size_; half *= 2) {
    const double* wr = twiddleRe_.data() + half;
    const double* wi = twiddleIm_.data() + half;
    for (int32_t start = 0; start < size_; start += 2 * half) {
      double* ar = re + start;
      double* ai = im + start;
      double* br = ar + half;
      double* bi = ai + half;
      for (int32_t k = 0; k < half; ++k) {
        const double ti = sign * wi[k];
        const double oddRe = wr[k] * br[k] - ti * bi[k];
        const double oddIm = wr[k] * bi[k] + ti * br[k];
        br[k] = ar[k] - oddRe;
        bi[k] = ai[k] - oddIm;
        ar[k] += oddRe;
        ai[k] += oddIm;
      }
    }
  }
}

}  // namespace melo
