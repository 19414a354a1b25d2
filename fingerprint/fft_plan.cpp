#include "fingerprint/fft_plan.h"

#include <cmath>

namespace melo {

FftPlan::FftPlan(int32_t size)
    : size_(size), bitReversed_(size), twiddleRe_(size), twiddleIm_(size) {
  int32_t bits = 0;
  while ((int32_t{1} << bits) < size) ++bits;
  for (int32_t t = 0; t < size; ++t) {
    int32_t r = 0;
    for (int32_t b = 0; b < bits; ++b) r |= ((t >> b) & 1) << (bits - 1 - b);
    bitReversed_[t] = r;
  }
  for (int32_t h = 1; h < size; h *= 2) {
    const double theta = -6.283185307179586 / static_cast<double>(2 * h);
    const double alpha = std::sin(theta / 2.0);
    const double beta = std::sin(theta);
    const double c = 2.0 * alpha * alpha;
    double wr = 1.0;
    double wi = 0.0;
    for (int32_t r = 0; r < h; ++r) {
      const double nextRe = (wr - c * wr) - beta * wi;
      const double nextIm = (beta * wr + wi) - wi * c;
      wr = nextRe;
      wi = nextIm;
      twiddleRe_[h + r] = wr;
      twiddleIm_[h + r] = wi;
    }
  }
}

void FftPlan::LoadReal(const double* input, double* re, double* im) const {
  for (int32_t t = 0; t < size_; ++t) {
    re[bitReversed_[t]] = input[t];
    im[t] = 0.0;
  }
}

void FftPlan::Butterflies(double* re, double* im) const {
  for (int32_t h = 1; h < size_; h *= 2) {
    const double* wRe = twiddleRe_.data() + h;
    const double* wIm = twiddleIm_.data() + h;
    for (int32_t g = 0; g < size_; g += 2 * h) {
      double* aRe = re + g;
      double* aIm = im + g;
      double* bRe = re + g + h;
      double* bIm = im + g + h;
      for (int32_t r = 0; r < h; ++r) {
        const double tr = wRe[r] * bRe[r] - wIm[r] * bIm[r];
        const double ti = bIm[r] * wRe[r] + bRe[r] * wIm[r];
        const double ar = aRe[r];
        const double ai = aIm[r];
        bRe[r] = ar - tr;
        bIm[r] = ai - ti;
        aRe[r] = ar + tr;
        aIm[r] = ai + ti;
      }
    }
  }
}

}  // namespace melo
