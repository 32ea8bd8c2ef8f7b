// The seed wave before its envelope, held to the design spectrum and to a direct DFT.
#include "motion/seed_wave.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <vector>

#include "motion/ran0.h"
#include "reference.h"
#include "seedwave/grid.h"

namespace {

using cplx = std::complex<double>;
constexpr double pi = std::numbers::pi;
constexpr std::int32_t mask = 123459876;
constexpr std::size_t nt = reference::n;
constexpr std::size_t nom = reference::nom;

// seedwave's fixed grid and the 1461 bedrock spectrum at its defaults.
const motion::seed_grid grid = motion::make_seed_grid(seedwave::nt, seedwave::dt);
const motion::design_spectrum bedrock{};

TEST(seed_grid, transform_length_and_frequency_step_by_hand) {
  // seedwave's fixed grid comes out exactly as the program prints it; other lengths take the
  // next power of two, lasting nf*dt.
  const motion::seed_grid fixed = motion::make_seed_grid(seedwave::nt, seedwave::dt);
  EXPECT_EQ(fixed.nf, 8192);
  EXPECT_EQ(fixed.nom, seedwave::nom);
  EXPECT_EQ(fixed.dur, seedwave::dur);
  EXPECT_EQ(fixed.dom, seedwave::dom);
  struct row {
    std::int32_t nt;
    double dt;
    std::int32_t nf;
    double dur;
  };
  const row rows[] = {
      {4096, 0.01, 4096, 40.96},       {4097, 0.01, 8192, 81.92},    {60000, 0.01, 65536, 655.36},
      {131072, 0.005, 131072, 655.36}, {10000, 0.02, 16384, 327.68},
  };
  for (const row& r : rows) {
    const motion::seed_grid g = motion::make_seed_grid(r.nt, r.dt);
    EXPECT_EQ(g.nt, r.nt);
    EXPECT_EQ(g.nf, r.nf) << r.nt;
    EXPECT_EQ(g.nom, r.nf / 2) << r.nt;
    EXPECT_NEAR(g.dur, r.dur, 1e-9) << r.nt;
    EXPECT_NEAR(g.dom, 2.0 * pi / r.dur, 1e-12) << r.nt;
  }
}

TEST(seed_spectrum, amplitudes_follow_the_design_spectrum_at_hand_points) {
  // Sa*T/pi^2 by hand: T = 81.92/k; 512/T on the falling branch, 800 flat, 320 + 3000*T below.
  struct row {
    std::size_t k;
    double psv;
  };
  const row rows[] = {
      {1, 512.0 / (pi * pi)},                      // T = 81.92 s, Sa = 6.25 gal
      {128, 512.0 / (pi * pi)},                    // T = 0.64 s, Sa = 800 gal
      {256, 800.0 * 0.32 / (pi * pi)},             // T = 0.32 s, flat
      {512, 128.0 / (pi * pi)},                    // T = 0.16 s, Sa = 800 gal
      {1024, (320.0 + 240.0) * 0.08 / (pi * pi)},  // T = 0.08 s, Sa = 560 gal
      {4096, 380.0 * 0.02 / (pi * pi)},            // T = 0.02 s (Nyquist), Sa = 380 gal
  };
  std::int32_t idum = 1;
  std::vector<cplx> fx(nt);
  motion::random_phase_spectrum(idum, grid, bedrock, fx);
  for (const row& r : rows) {
    EXPECT_NEAR(std::abs(fx[r.k]), r.psv, 1e-12 * r.psv) << "k=" << r.k;
  }
}

TEST(seed_spectrum, one_draw_per_point_gives_each_phase_and_the_conjugate_mirror) {
  std::int32_t idum = 1;
  std::vector<cplx> fx(nt);
  motion::random_phase_spectrum(idum, grid, bedrock, fx);

  const std::vector<long double> ran = reference::phases(1);
  std::int32_t after = 1;
  for (std::size_t k = 1; k <= nom; ++k) motion::ran0(after);
  EXPECT_EQ(idum, after) << "the generator must advance by exactly one draw per point";
  EXPECT_EQ(fx[0], cplx(0.0, 0.0));
  for (std::size_t k = 1; k <= nom; ++k) {
    const double amp = static_cast<double>(reference::psv(k));
    const double ph = static_cast<double>(ran[k]);
    EXPECT_NEAR(fx[k].real(), amp * std::cos(ph), 1e-12 * amp) << "k=" << k;
    EXPECT_NEAR(fx[k].imag(), amp * std::sin(ph), 1e-12 * amp) << "k=" << k;
    if (k < nom) {
      EXPECT_EQ(fx[nt - k], std::conj(fx[k])) << "k=" << k;
    }
  }
}

TEST(seed_spectrum, the_mask_seed_gives_zero_phases_everywhere) {
  std::int32_t idum = mask;
  std::vector<cplx> fx(nt);
  motion::random_phase_spectrum(idum, grid, bedrock, fx);
  EXPECT_EQ(idum, mask);
  for (std::size_t k = 1; k < nt; ++k) {
    const double amp = static_cast<double>(reference::psv(k <= nom ? k : nt - k));
    EXPECT_EQ(fx[k].imag(), 0.0) << "k=" << k;
    EXPECT_NEAR(fx[k].real(), amp, 1e-12 * amp) << "k=" << k;
  }
}

TEST(seed_wave, direct_dft_recovers_the_spectrum_at_every_point) {
  std::int32_t idum = 1;
  std::vector<cplx> fx(seedwave::capacity);
  std::vector<double> acc(seedwave::capacity);
  motion::seed_wave(idum, grid, bedrock, fx, acc);
  acc.resize(nt);

  const std::vector<std::complex<long double>> X = reference::dft(acc);
  const std::vector<long double> ran = reference::phases(1);
  const long double dt = 0.01L;
  // The Fourier amplitudes of the wave in gal*s: |X_k|*dt = psv_k, with the drawn phase. The
  // transform's pi, 4.1e-10 too large, turns phases by up to about 1e-8 rad: 1e-6 gal*s at most
  // on amplitudes of up to 52 gal*s.
  EXPECT_LT(std::abs(X[0] * dt), 1e-9L) << "the wave has a mean";
  long double worst = 0.0L;
  for (std::size_t k = 1; k < nom; ++k) {
    const std::complex<long double> expect = std::polar(reference::psv(k), ran[k]);
    worst = std::max(worst, std::abs(X[k] * dt - expect));
  }
  EXPECT_LT(worst, 1e-6L);
  // The real part drops the sine of the Nyquist point.
  const long double nyquist = reference::psv(nom) * std::cos(ran[nom]);
  EXPECT_LT(std::abs(X[nom] * dt - nyquist), 1e-6L);
}

}  // namespace
