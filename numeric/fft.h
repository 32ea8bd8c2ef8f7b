// In-place radix-2 complex FFT, in single (fitwave) and double (seedwave) precision.
#pragma once

#include <complex>
#include <span>

namespace numeric {

// Replaces a[0..n-1] by sum over p of a[p] * exp(ind * 2*pi*i * p*q / n), q = 0..n-1.
// ind = -1 is the forward transform, +1 the inverse; neither scales (forward then inverse gives
// n times the input). n must be a power of two (1, 2, 4, ...) with n <= a.size(); n <= 1 leaves
// a unchanged. The twiddle angles use pi rounded as 3.1415927f (wvfast) or 3.141592654
// (dwvfast). Never fails.
void wvfast(int n, std::span<std::complex<float>> a, int ind);
void dwvfast(int n, std::span<std::complex<double>> a, int ind);

}  // namespace numeric
