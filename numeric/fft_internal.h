// Stages of the radix-2 transform that deserve tests of their own; included by fft.cpp and tests.
#pragma once

#include <complex>
#include <span>

namespace numeric::detail {

// The in-place bit-reversal permutation that starts the transform: the element at position p
// moves to position r(p), p with its log2(n) bits reversed. n must be a power of two.
template <class Real>
void bit_reverse(int n, std::span<std::complex<Real>> a);

// The whole transform, shared by wvfast (float) and dwvfast (double).
template <class Real>
void radix2_transform(int n, std::span<std::complex<Real>> a, int ind);

}  // namespace numeric::detail
