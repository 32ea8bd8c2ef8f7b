#include "numeric/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "numeric/fft_internal.h"
#include "numeric/fft_plan.h"

namespace {

using cld = std::complex<long double>;

// Direct O(n^2) transform in long double with the exact pi: the oracle.
std::vector<cld> direct_dft(const std::vector<cld>& x, int ind) {
  const std::size_t n = x.size();
  std::vector<cld> y(n);
  for (std::size_t q = 0; q < n; ++q) {
    cld sum = 0;
    for (std::size_t p = 0; p < n; ++p) {
      // Reduce p*q mod n first so the angle stays small and exact.
      const long double ang = 2.0L * std::numbers::pi_v<long double> *
                              static_cast<long double>((p * q) % n) / static_cast<long double>(n);
      sum += x[p] * cld(std::cos(ang), static_cast<long double>(ind) * std::sin(ang));
    }
    y[q] = sum;
  }
  return y;
}

template <class Real>
std::vector<std::complex<Real>> random_wave(std::size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<std::complex<Real>> a(n);
  for (auto& v : a) v = {static_cast<Real>(u(gen)), static_cast<Real>(u(gen))};
  return a;
}

// ||got - want|| / ||want|| in the 2-norm.
template <class Real>
long double relative_error(const std::vector<std::complex<Real>>& got,
                           const std::vector<cld>& want) {
  long double num = 0, den = 0;
  for (std::size_t i = 0; i < want.size(); ++i) {
    const cld g(got[i].real(), got[i].imag());
    num += std::norm(g - want[i]);
    den += std::norm(want[i]);
  }
  return std::sqrt(num / den);
}

// A radix-2 transform loses about one unit roundoff per stage; the twiddle angles use a rounded
// pi, which adds its relative error |pai - pi| / pi per stage as a phase error.
template <class Real>
long double bound(int n, long double pai) {
  const long double u = std::numeric_limits<Real>::epsilon() / 2;
  const long double pai_err = std::fabs(pai - std::numbers::pi_v<long double>);
  const long double stages = std::max(1.0L, std::log2(static_cast<long double>(n)));
  return 4 * stages * (u + pai_err);
}

void transform(int n, std::vector<std::complex<float>>& a, int ind) {
  numeric::wvfast(n, a, ind);
}
void transform(int n, std::vector<std::complex<double>>& a, int ind) {
  numeric::dwvfast(n, a, ind);
}

template <class Real>
void check_against_direct_dft(long double pai) {
  for (int n = 1; n <= 1024; n *= 2) {
    for (int ind : {-1, 1}) {
      auto a = random_wave<Real>(static_cast<std::size_t>(n), static_cast<unsigned>(n + ind));
      std::vector<cld> x(a.begin(), a.end());
      transform(n, a, ind);
      EXPECT_LT(relative_error(a, direct_dft(x, ind)), bound<Real>(n, pai))
          << "n = " << n << ", ind = " << ind;
    }
  }
}

TEST(fft, single_precision_matches_direct_dft) {
  check_against_direct_dft<float>(3.1415927f);
}

TEST(fft, double_precision_matches_direct_dft) {
  check_against_direct_dft<double>(3.141592654L);
}

template <class Real>
void check_round_trip(long double pai) {
  for (int n = 2; n <= 32768; n *= 2) {
    const auto x = random_wave<Real>(static_cast<std::size_t>(n), 7);
    auto a = x;
    transform(n, a, -1);
    transform(n, a, 1);
    std::vector<cld> want(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
      want[i] = static_cast<long double>(n) * cld(x[i].real(), x[i].imag());
    EXPECT_LT(relative_error(a, want), 2 * bound<Real>(n, pai)) << "n = " << n;
  }
}

TEST(fft, forward_then_inverse_gives_n_times_the_input) {
  check_round_trip<float>(3.1415927f);
  check_round_trip<double>(3.141592654L);
}

TEST(fft, length_one_and_elements_past_n_are_untouched) {
  for (int ind : {-1, 1}) {
    std::vector<std::complex<double>> a{{3.5, -2.0}, {7.0, 7.0}, {9.0, 9.0}};
    numeric::dwvfast(1, a, ind);
    EXPECT_EQ(a[0], std::complex<double>(3.5, -2.0));
    numeric::dwvfast(2, a, ind);
    EXPECT_EQ(a[2], std::complex<double>(9.0, 9.0));
  }
}

TEST(fft, length_two_gives_sum_and_difference) {
  for (int ind : {-1, 1}) {
    std::vector<std::complex<float>> a{{1.5f, 2.0f}, {0.25f, -4.0f}};
    numeric::wvfast(2, a, ind);
    EXPECT_EQ(a[0], std::complex<float>(1.75f, -2.0f));
    EXPECT_EQ(a[1], std::complex<float>(1.25f, 6.0f));
  }
}

TEST(fft, impulse_gives_exact_ones) {
  for (int n : {4, 64, 4096}) {
    std::vector<std::complex<float>> a(static_cast<std::size_t>(n));
    a[0] = 1.0f;
    numeric::wvfast(n, a, -1);
    for (const auto& v : a) ASSERT_EQ(v, std::complex<float>(1.0f, 0.0f)) << "n = " << n;
  }
}

TEST(fft, constant_goes_to_the_zero_frequency) {
  const int n = 256;
  const std::complex<double> c(0.75, -1.25);
  std::vector<std::complex<double>> a(n, c);
  numeric::dwvfast(n, a, 1);
  EXPECT_EQ(a[0], static_cast<double>(n) * c);  // every stage adds with the exact twiddle 1
  for (std::size_t q = 1; q < a.size(); ++q) EXPECT_LT(std::abs(a[q]), 1e-12) << "q = " << q;
}

// The seed waves depend on the ten-digit pi: element 2 alone reaches the last stage only, whose
// angles are 3.141592654 * (q mod n/2) / (n/2), with the sign of the upper half.
TEST(fft, double_precision_angles_use_ten_digit_pi) {
  const int n = 1024;
  std::vector<std::complex<double>> a(n);
  a[1] = 1.0;
  numeric::dwvfast(n, a, -1);
  for (int q = 0; q < n; ++q) {
    const double phi = 3.141592654 * (q % (n / 2)) / (n / 2);
    const double sign = q < n / 2 ? 1.0 : -1.0;
    EXPECT_NEAR(a[static_cast<std::size_t>(q)].real(), sign * std::cos(phi), 1e-15);
    EXPECT_NEAR(a[static_cast<std::size_t>(q)].imag(), -sign * std::sin(phi), 1e-15);
  }
}

TEST(fft, bit_reversal_permutation) {
  std::vector<std::complex<double>> a8(8);
  for (std::size_t p = 0; p < 8; ++p) a8[p] = static_cast<double>(p);
  numeric::detail::bit_reverse<double>(8, a8);
  const double want8[] = {0, 4, 2, 6, 1, 5, 3, 7};
  for (std::size_t p = 0; p < 8; ++p) EXPECT_EQ(a8[p].real(), want8[p]);

  for (int bits = 0; bits <= 15; ++bits) {
    const int n = 1 << bits;
    std::vector<std::complex<float>> a(static_cast<std::size_t>(n));
    for (int p = 0; p < n; ++p) a[static_cast<std::size_t>(p)] = static_cast<float>(p);
    numeric::detail::bit_reverse<float>(n, a);
    for (int p = 0; p < n; ++p) {
      int r = 0;
      for (int b = 0; b < bits; ++b) r |= ((p >> b) & 1) << (bits - 1 - b);
      ASSERT_EQ(a[static_cast<std::size_t>(r)].real(), static_cast<float>(p)) << "n = " << n;
    }
  }
}

TEST(fft, single_and_double_agree_to_single_accuracy) {
  const int n = 8192;
  auto af = random_wave<float>(n, 3);
  std::vector<std::complex<double>> ad(af.begin(), af.end());
  numeric::wvfast(n, af, 1);
  numeric::dwvfast(n, ad, 1);
  std::vector<cld> want(ad.begin(), ad.end());
  EXPECT_LT(relative_error(af, want), bound<float>(n, 3.1415927f));
}

}  // namespace

namespace {

// The exact-pi transform has no angle error: one unit roundoff a stage, and forward and inverse
// are the DFT's two signs.
TEST(fft_plan, matches_direct_dft_with_the_exact_pi) {
  for (int n = 1; n <= 1024; n *= 2) {
    const numeric::fft_plan plan(static_cast<std::size_t>(n));
    for (int ind : {-1, 1}) {
      auto a = random_wave<double>(static_cast<std::size_t>(n), static_cast<unsigned>(3 * n + ind));
      std::vector<cld> x(a.begin(), a.end());
      if (ind < 0)
        plan.forward(a);
      else
        plan.inverse(a);
      EXPECT_LT(relative_error(a, direct_dft(x, ind)),
                bound<double>(n, std::numbers::pi_v<long double>))
          << "n = " << n << ", ind = " << ind;
    }
  }
  // dwvfast's ten-digit pi is visibly further off: the check would catch it.
  const int n = 1024;
  auto a = random_wave<double>(n, 5);
  std::vector<cld> x(a.begin(), a.end());
  numeric::dwvfast(n, a, -1);
  EXPECT_GT(relative_error(a, direct_dft(x, -1)),
            bound<double>(n, std::numbers::pi_v<long double>));
}

}  // namespace
