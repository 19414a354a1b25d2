#pragma once

#include <cstdint>
#include <vector>

namespace melo {

// The radix-2 transform whose exact rounding the stored fingerprints depend on.
//
// Each butterfly stage advances its twiddle factor *before* the first use, so the
// r-th butterfly of a stage with half-size h uses e^(-2*pi*i*(r+1)/(2h)). Over all
// stages this shifts the result down by one bin: output bin k holds DFT index k + 1
// and the last bin holds the DC term. Every stored band byte carries that shift.
//
// The twiddles are produced by the same recurrence as the reference procedure and
// cached per plan; the butterflies of one stage touch disjoint pairs, so running
// them in any order gives bit-identical results. Real and imaginary parts live in
// separate arrays so the inner loops vectorise.
class FftPlan {
 public:
  explicit FftPlan(int32_t size);

  int32_t Size() const noexcept { return size_; }

  // Loads real input in bit-reversed order into re/im (im = 0): the reordering step.
  void LoadReal(const double* input, double* re, double* im) const;
  // The butterfly stages, in place, on data already in bit-reversed order.
  void Butterflies(double* re, double* im) const;

 private:
  int32_t size_;
  std::vector<int32_t> bitReversed_;
  // Stage with half-size h keeps its h twiddles at offsets h ... 2h - 1.
  std::vector<double> twiddleRe_;
  std::vector<double> twiddleIm_;
};

}  // namespace melo
