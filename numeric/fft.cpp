#include "numeric/fft.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "numeric/fft_internal.h"

namespace numeric {
namespace {

// The value of pi that every twiddle angle uses, in the element precision.
template <class Real>
constexpr Real pai = Real{};
template <>
constexpr float pai<float> = 3.1415927f;
// Ten significant digits, as the seed waves have always been made with.
template <>
constexpr double pai<double> = 3.141592654;

// Twiddles are evaluated in double from the stored angle and rounded once to the element type.
template <class Real>
Real stored(double x) {
  return static_cast<Real>(x);
}

// Element p of an array indexed from 1.
template <class Real>
std::complex<Real>& at(std::span<std::complex<Real>> a, int p) {
  return a[static_cast<std::size_t>(p - 1)];
}

}  // namespace

namespace detail {

template <class Real>
void bit_reverse(int n, std::span<std::complex<Real>> a) {
  int j = 1;
  for (int i = 1; i <= n; ++i) {
    if (i < j) std::swap(at(a, i), at(a, j));
    int m = n / 2;
    // The exit at m <= 1 only cuts short the last pass, whose counter is never used.
    while (j > m) {
      j -= m;
      m /= 2;
      if (m <= 1) break;
    }
    j += m;
  }
}

template <class Real>
void radix2_transform(int n, std::span<std::complex<Real>> a, int ind) {
  bit_reverse(n, a);
  for (int kmax = 1; kmax < n; kmax *= 2) {
    const int istep = 2 * kmax;
    for (int k = 1; k <= kmax; ++k) {
      // Each twiddle from its own angle, never by recurrence: the rounding stays that of one cos.
      const Real phi = pai<Real> * static_cast<Real>((k - 1) * ind) / static_cast<Real>(kmax);
      const Real wr = stored<Real>(std::cos(static_cast<double>(phi)));
      const Real wi = stored<Real>(std::sin(static_cast<double>(phi)));
      for (int i = k; i <= n; i += istep) {
        std::complex<Real>& lo = at(a, i);
        std::complex<Real>& hi = at(a, i + kmax);
        // The product written out: std::complex's operator* adds a NaN recovery we must not have.
        const Real tr = hi.real() * wr - hi.imag() * wi;
        const Real ti = hi.real() * wi + hi.imag() * wr;
        hi = {lo.real() - tr, lo.imag() - ti};
        lo = {lo.real() + tr, lo.imag() + ti};
      }
    }
  }
}

template void bit_reverse<float>(int, std::span<std::complex<float>>);
template void bit_reverse<double>(int, std::span<std::complex<double>>);
template void radix2_transform<float>(int, std::span<std::complex<float>>, int);
template void radix2_transform<double>(int, std::span<std::complex<double>>, int);

}  // namespace detail

void wvfast(int n, std::span<std::complex<float>> a, int ind) {
  detail::radix2_transform(n, a, ind);
}

void dwvfast(int n, std::span<std::complex<double>> a, int ind) {
  detail::radix2_transform(n, a, ind);
}

}  // namespace numeric
