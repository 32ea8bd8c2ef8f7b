#include "numeric/fft_plan.h"

#include <cmath>
#include <numbers>

#include "numeric/fft_internal.h"

namespace numeric {

fft_plan::fft_plan(std::size_t n) : n_(n), twiddle_(n / 2) {
  for (std::size_t j = 0; j < twiddle_.size(); ++j) {
    // Each from its own angle, never by recurrence: one rounding of cos and of sin.
    const double angle = 2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(n);
    twiddle_[j] = {std::cos(angle), -std::sin(angle)};
  }
}

void fft_plan::forward(std::span<std::complex<double>> a) const {
  transform(a, 1.0);
}

void fft_plan::inverse(std::span<std::complex<double>> a) const {
  transform(a, -1.0);
}

void fft_plan::transform(std::span<std::complex<double>> a, double sign) const {
  if (n_ <= 1) return;
  detail::bit_reverse(static_cast<int>(n_), a);
  for (std::size_t half = 1; half < n_; half *= 2) {
    const std::size_t stride = n_ / (2 * half);
    // Group by group, so that memory is read in order at every stage.
    for (std::size_t group = 0; group < n_; group += 2 * half) {
      for (std::size_t k = 0; k < half; ++k) {
        const std::complex<double> t = twiddle_[k * stride];
        const double wr = t.real();
        const double wi = sign * t.imag();
        std::complex<double>& lo = a[group + k];
        std::complex<double>& hi = a[group + k + half];
        // Written out: std::complex's operator* adds a NaN recovery this loop does not need.
        const double tr = hi.real() * wr - hi.imag() * wi;
        const double ti = hi.real() * wi + hi.imag() * wr;
        hi = {lo.real() - tr, lo.imag() - ti};
        lo = {lo.real() + tr, lo.imag() + ti};
      }
    }
  }
}

}  // namespace numeric
