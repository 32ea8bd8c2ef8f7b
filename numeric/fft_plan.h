// A double-precision radix-2 transform whose twiddles come from the exact pi, tabulated once per
// length. dwvfast keeps the ten-digit pi the seed waves were made with; wave propagation through
// a soil column wants the transform itself to rounding, and does many of one length.
#pragma once

#include <complex>
#include <cstddef>
#include <span>
#include <vector>

namespace numeric {

class fft_plan {
 public:
  // n must be a power of two (1, 2, 4, ...).
  explicit fft_plan(std::size_t n);
  std::size_t size() const { return n_; }

  // a[q] = sum over p of a[p] * exp(-2*pi*i * p*q / n) (forward) or exp(+...) (inverse), for the
  // first size() elements of a (which must hold that many); neither scales. Never fails.
  void forward(std::span<std::complex<double>> a) const;
  void inverse(std::span<std::complex<double>> a) const;

 private:
  void transform(std::span<std::complex<double>> a, double sign) const;
  std::size_t n_;
  std::vector<std::complex<double>> twiddle_;  // exp(-2*pi*i * j / n), j < n/2
};

}  // namespace numeric
