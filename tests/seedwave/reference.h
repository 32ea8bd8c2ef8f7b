// An independent model of the seed wave for the tests: the target spectrum and the envelope
// written out from their definitions, and the wave synthesised from its Fourier series by a
// direct O(n^2) sum in long double.
#pragma once

#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

#include "motion/ran0.h"

namespace reference {

inline constexpr std::size_t n = 8192;
inline constexpr std::size_t nom = n / 2;
inline constexpr long double dur = 81.92L;
inline constexpr long double pi = std::numbers::pi_v<long double>;

// The design spectrum for the engineering bedrock (gal) at period T (s).
inline long double target(long double T) {
  if (T < 0.16L) return 320.0L + 3000.0L * T;
  if (T > 0.64L) return 512.0L / T;
  return 800.0L;
}

// Fourier amplitude of frequency point k = 1..nom (gal*s): Sa(T)*T/pi^2 at T = dur/k.
inline long double psv(std::size_t k) {
  const long double T = dur / static_cast<long double>(k);
  return target(T) * T / (pi * pi);
}

// Phases 2*pi*u of points 1..nom, one draw per point in ascending order; element 0 unused.
inline std::vector<long double> phases(std::int32_t seed) {
  std::vector<long double> ran(nom + 1, 0.0L);
  for (std::size_t k = 1; k <= nom; ++k) {
    ran[k] = 2.0L * pi * static_cast<long double>(motion::ran0(seed));
  }
  return ran;
}

// cos and sin of 2*pi*m/n for m = 0..n-1: every angle 2*pi*k*p/n is one of these.
struct twiddles {
  std::vector<long double> c, s;
  twiddles() : c(n), s(n) {
    for (std::size_t m = 0; m < n; ++m) {
      const long double angle = 2.0L * pi * static_cast<long double>(m) / n;
      c[m] = std::cos(angle);
      s[m] = std::sin(angle);
    }
  }
};

// X_k = sum over p of x_p * exp(-2*pi*i*k*p/n) for k = 0..nom.
inline std::vector<std::complex<long double>> dft(const std::vector<double>& x) {
  static const twiddles w;
  std::vector<std::complex<long double>> X(nom + 1);
  for (std::size_t k = 0; k <= nom; ++k) {
    long double re = 0.0L, im = 0.0L;
    for (std::size_t p = 0, m = 0; p < n; ++p, m = (m + k) % n) {
      re += static_cast<long double>(x[p]) * w.c[m];
      im -= static_cast<long double>(x[p]) * w.s[m];
    }
    X[k] = {re, im};
  }
  return X;
}

// The unenveloped seed wave of a seed (gal): at t = p*dt,
// (1/dur) * [2 * sum_{k<nom} psv_k cos(k*dom*t + ran_k) + psv_nom cos(ran_nom) (-1)^p].
inline std::vector<long double> wave(std::int32_t seed) {
  static const twiddles w;
  const std::vector<long double> ran = phases(seed);
  std::vector<long double> a(n, 0.0L);
  for (std::size_t k = 1; k < nom; ++k) {
    const long double cr = psv(k) * std::cos(ran[k]);
    const long double ci = psv(k) * std::sin(ran[k]);
    for (std::size_t p = 0, m = 0; p < n; ++p, m = (m + k) % n) {
      a[p] += 2.0L * (cr * w.c[m] - ci * w.s[m]);
    }
  }
  const long double nyquist = psv(nom) * std::cos(ran[nom]);
  for (std::size_t p = 0; p < n; ++p) a[p] = (a[p] + (p % 2 == 0 ? nyquist : -nyquist)) / dur;
  return a;
}

// The envelope: rise (t/tb)^2, 1, decay 0.1^((t-tc)/(td-tc)), tail 0.1*((te-t)/(te-td))^2,
// then 0; each test strict and in ascending order of the corners.
inline double envelope(double t, double tb, double tc, double td, double te) {
  if (t < tb) return (t / tb) * (t / tb);
  if (t < tc) return 1.0;
  if (t < td) return std::pow(0.1, (t - tc) / (td - tc));
  if (t < te) return 0.1 * ((te - t) / (te - td)) * ((te - t) / (te - td));
  return 0.0;
}

}  // namespace reference
