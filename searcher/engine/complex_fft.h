#pragma once

#include <complex>
#include <cstdint>
#include <vector>

namespace melo {

// An ordinary radix-2 transform of one power-of-two size, forward and inverse
// (the inverse divided by the size, so Inverse(Forward(x)) == x). Unlike the
// fingerprint's own transform, whose rounding and bin shift are part of the
// stored format, this one serves only the query-side noise analysis.
class ComplexFft {
 public:
  explicit ComplexFft(int32_t size);

  int32_t Size() const noexcept { return size_; }
  void Forward(std::vector<std::complex<double>>& data) const { Transform(data, false); }
  void Inverse(std::vector<std::complex<double>>& data) const;

 private:
  void Transform(std::vector<std::complex<double>>& data, bool inverse) const;

  int32_t size_;
  std::vector<int32_t> bitReversed_;
  std::vector<std::complex<double>> twiddles_;  // e^(-2 pi i k / size), k < size / 2
};

}  // namespace melo
