#pragma once

#include <cstdint>
#include <vector>

namespace melo {

// An ordinary radix-2 transform of one power-of-two size, forward and inverse
// (the inverse divided by the size, so that it undoes the forward one), in place
// on separate real and imaginary arrays so that the butterflies vectorise. Unlike
// the fingerprint's own transform, whose rounding and bin shift are part of the
// stored format, this one serves only the query-side noise analysis.
class ComplexFft {
 public:
  explicit ComplexFft(int32_t size);

  void Forward(double* re, double* im) const { Transform(re, im, 1.0); }
  void Inverse(double* re, double* im) const;

 private:
  // sign 1: forward, e^(-i...); -1: inverse, e^(+i...).
  void Transform(double* re, double* im, double sign) const;

  int32_t size_;
  std::vector<int32_t> bitReversed_;
  // The stage with half-size h keeps its h twiddles e^(-i pi k / h) at offsets h ... 2h - 1.
  std::vector<double> twiddleRe_;
  std::vector<double> twiddleIm_;
};

}  // namespace melo
