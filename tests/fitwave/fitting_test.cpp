// The arithmetic of one fitting iteration: correction, symmetric fill, rebuilt wave, measures.
#include "fitwave/fitting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fitwave/grid.h"
#include "fitwave/preparation.h"
#include "numeric/design.h"
#include "numeric/fft.h"
#include "numeric/response.h"
#include "textio/textio.h"

namespace {

using fitwave::cplx;

TEST(Correction, ScalesBothPartsByTargetOverComputed) {
  EXPECT_EQ(fitwave::corrected({3.0f, -4.0f}, 800.0f, 400.0f), cplx(6.0f, -8.0f));
  // Multiplied first, then divided: 0.1f * 3 / 3 is not 0.1f * (3 / 3) in single precision.
  const float re = 0.1f * 3.0f / 3.0f;
  EXPECT_EQ(fitwave::corrected({0.1f, 0.0f}, 3.0f, 3.0f).real(), re);
  // A zero response gives non-finite coefficients, with no guard.
  EXPECT_TRUE(std::isinf(fitwave::corrected({1.0f, 0.0f}, 800.0f, 0.0f).real()));
  EXPECT_TRUE(std::isnan(fitwave::corrected({0.0f, 0.0f}, 800.0f, 0.0f).real()));
}

TEST(MirrorFill, ConjugatesLowerHalfAndKeepsNyquistAndZeroFrequency) {
  // nf = 8: points 2..4 are mirrored onto 8..6; point 5 is the Nyquist point.
  std::vector<cplx> a = {{9, 9}, {1, 2}, {3, 4}, {5, 6}, {7, 8}, {0, 0}, {0, 0}, {0, 0}, {-1, -1}};
  fitwave::mirror_fill(a, 8);
  const std::vector<cplx> want = {{9, 9},  {1, 2},  {3, 4},  {5, 6},  {7, 8},
                                  {5, -6}, {3, -4}, {1, -2}, {-1, -1}};
  EXPECT_EQ(a, want);
}

TEST(Shaping, PowerOfTheEnvelope) {
  // ampfac = 0: no shaping, also where the envelope is zero; 1: the envelope itself.
  for (float e : {0.0f, 0.0625f, 0.099999994f, 1.0f}) {
    EXPECT_EQ(fitwave::shaping(e, 0.0f), 1.0f) << e;
    EXPECT_EQ(fitwave::shaping(e, 1.0f), e) << e;
  }
  EXPECT_EQ(fitwave::shaping(0.0f, 0.1f), 0.0f);
  EXPECT_EQ(fitwave::shaping(0.25f, 0.5f), 0.5f);
  EXPECT_EQ(fitwave::shaping(0.0625f, 0.25f), 0.5f);
}

// With a ratio of 1 at every point the loop gives back the wave without its mean, shaped.
TEST(FittingIdentity, UnitRatiosRebuildThePreviousWaveTimesTheEnvelope) {
  constexpr int nf = 64;
  constexpr float dt = 0.01f;
  std::vector<float> x(nf), eamp(nf), ddy(nf);
  double sum = 0.0;
  for (int i = 0; i < nf; ++i) {
    x[static_cast<std::size_t>(i)] =
        100.0f * std::sin(0.37f * static_cast<float>(i)) + 20.0f + static_cast<float>(i % 7);
    eamp[static_cast<std::size_t>(i)] = static_cast<float>(i) / nf;
    sum += static_cast<double>(x[static_cast<std::size_t>(i)]);
  }
  const double mean = sum / nf;
  for (float ampfac : {0.0f, 0.5f, 1.0f}) {
    std::vector<cplx> fds(nf), fds1(nf);
    for (std::size_t i = 0; i < nf; ++i) fds[i] = {x[i], 0.0f};
    numeric::wvfast(nf, fds, -1);
    for (auto& c : fds) c = fitwave::scale_by_dt(c, dt);
    fds[0] = fds1[0] = {0.0f, 0.0f};
    for (std::size_t k = 1; k <= nf / 2; ++k) {
      fds[k] = fitwave::corrected(fds[k], 512.0f, 512.0f);
      fds1[k] = fds[k];
    }
    fitwave::mirror_fill(fds1, nf);
    numeric::wvfast(nf, fds1, +1);
    fitwave::rebuild_wave(fds1, static_cast<float>(nf) * dt, eamp, ampfac, nf, ddy);
    for (std::size_t i = 0; i < nf; ++i) {
      const double want = (static_cast<double>(x[i]) - mean) *
                          std::pow(static_cast<double>(eamp[i]), static_cast<double>(ampfac));
      EXPECT_NEAR(static_cast<double>(ddy[i]), want, 1e-3) << "ampfac " << ampfac << " i " << i;
    }
  }
}

struct point {
  float period, sa, target;
};

fitwave::criteria measure(std::initializer_list<point> points) {
  fitwave::criteria_sums sums;
  for (const point& p : points) sums.add(p.period, p.sa, p.target);
  return sums.finish();
}

TEST(Criteria, MainWindowOfThreeRatios) {
  // Ratios 0.9, 1.0, 1.1 at periods inside 0.02..10 s but outside 1..5 s.
  const fitwave::criteria c = measure({{0.5f, 0.9f, 1.0f}, {0.3f, 1.0f, 1.0f}, {6.0f, 1.1f, 1.0f}});
  EXPECT_EQ(c.cr1, 0.9f);
  EXPECT_NEAR(static_cast<double>(c.cr3), std::sqrt(0.02 / 3.0), 1e-6);
  EXPECT_NEAR(static_cast<double>(c.cr4), 1.0, 1e-6);
  EXPECT_TRUE(std::isnan(c.cr2));  // empty secondary window: 0/0
}

TEST(Criteria, SecondaryWindowIsARatioOfSums) {
  const fitwave::criteria c = measure({{1.5f, 500.0f, 512.0f}, {2.0f, 300.0f, 256.0f}});
  EXPECT_FLOAT_EQ(c.cr2, 800.0f / 768.0f);
  // Both points also lie in the main window: ratios 0.9765625 and 1.171875.
  EXPECT_EQ(c.cr1, 500.0f / 512.0f);
  EXPECT_NEAR(static_cast<double>(c.cr4), (500.0 / 512 + 300.0 / 256) / 2, 1e-6);
}

TEST(Criteria, WindowEndsAreIncluded) {
  // Each point has ratio 0.5 and is alone: it counts only if its window takes it.
  struct row {
    float period;
    bool main, secondary;
  };
  const row rows[] = {
      {0.02f, true, false},       {10.0f, true, false},      {1.0f, true, true},
      {5.0f, true, true},         {0.019999f, false, false}, {10.00001f, false, false},
      {0.99999994f, true, false}, {5.0000005f, true, false},
  };
  for (const row& r : rows) {
    const fitwave::criteria c = measure({{r.period, 400.0f, 800.0f}});
    EXPECT_EQ(c.cr1, r.main ? 0.5f : 9999.0f) << r.period;
    EXPECT_EQ(std::isnan(c.cr4), !r.main) << r.period;
    EXPECT_EQ(std::isnan(c.cr2), !r.secondary) << r.period;
    if (r.secondary) {
      EXPECT_EQ(c.cr2, 0.5f) << r.period;
    }
  }
}

TEST(Criteria, EmptyMainWindow) {
  const fitwave::criteria c = measure({{20.0f, 400.0f, 800.0f}, {0.01f, 400.0f, 800.0f}});
  EXPECT_EQ(c.cr1, 9999.0f);
  EXPECT_TRUE(std::isnan(c.cr3));
  EXPECT_TRUE(std::isnan(c.cr4));
}

TEST(Criteria, SmallestRatioIsStrictAndSumsAreSquared) {
  // cr3 = sqrt(((0.8-1)^2 + (1.2-1)^2 + (1-1)^2) / 3) = sqrt(0.08/3).
  const fitwave::criteria c =
      measure({{0.1f, 0.8f, 1.0f}, {0.2f, 1.2f, 1.0f}, {0.4f, 800.0f, 800.0f}});
  EXPECT_EQ(c.cr1, 0.8f);
  EXPECT_NEAR(static_cast<double>(c.cr3), std::sqrt(0.08 / 3.0), 1e-6);
  EXPECT_NEAR(static_cast<double>(c.cr4), 1.0, 1e-6);
}

// The loop takes the spectrum of the current wave from the previous iteration's column; the
// order the method describes computes it afresh before every correction. Both must agree bit
// for bit, in every column of the table, in the coefficients and in the wave.
TEST(FittingLoop, ReusedSpectraEqualTheInterleavedOrder) {
  textio::start_run();  // the loop reports on the console
  constexpr std::int32_t nt = 200, nf = 256, nit = 3;
  constexpr float ampfac = 0.5f;
  const fitwave::grid g = fitwave::make_grid(nt, 0.02f, nf);
  const auto cap = fitwave::capacity;
  std::vector<float> ddy(cap), eamp(cap), resa(cap * fitwave::ncol);
  std::vector<cplx> fds(cap), fds1(cap);
  for (std::size_t i = 0; i < nt; ++i) {
    ddy[i] =
        150.0f * std::sin(0.7f * static_cast<float>(i)) * std::cos(0.05f * static_cast<float>(i));
  }
  for (std::size_t i = 0; i < nf; ++i) {
    eamp[i] = numeric::envamp(static_cast<float>(i) * g.dt, 0.5f, 2.0f, 3.5f, 4.5f);
    fds[i] = i < nt ? cplx(ddy[i], 0.0f) : cplx(0.0f, 0.0f);
  }
  numeric::wvfast(nf, fds, -1);
  for (std::size_t i = 0; i < nf; ++i) fds[i] = fitwave::scale_by_dt(fds[i], g.dt);
  const auto nom = static_cast<std::size_t>(g.nom);
  for (std::size_t j = 2; j <= nom; ++j)
    resa[j - 1] = numeric::tgtsa(fitwave::omega_at(static_cast<std::int32_t>(j), g.dom));

  // The interleaved order, with its own copies.
  std::vector<float> r_ddy = ddy, r_resa = resa, acc(cap), vel(cap), dis(cap);
  std::vector<cplx> r_fds = fds, r_fds1(cap);
  float sa = 0, sv = 0, sd = 0;
  for (std::size_t iit = 1; iit <= nit; ++iit) {
    r_fds[0] = r_fds1[0] = cplx(0.0f, 0.0f);
    for (std::size_t j = 2; j <= nom; ++j) {
      numeric::resp(0.05f, fitwave::omega_at(static_cast<std::int32_t>(j), g.dom), g.dt, nt, r_ddy,
                    acc, vel, dis, sa, sv, sd);
      r_fds[j - 1] = fitwave::corrected(r_fds[j - 1], r_resa[j - 1], sa);
      r_fds1[j - 1] = r_fds[j - 1];
    }
    fitwave::mirror_fill(r_fds1, nf);
    numeric::wvfast(nf, r_fds1, +1);
    fitwave::rebuild_wave(r_fds1, g.dur, eamp, ampfac, nf, r_ddy);
    for (std::size_t j = 2; j <= nom; ++j) {
      numeric::resp(0.05f, fitwave::omega_at(static_cast<std::int32_t>(j), g.dom), g.dt, nt, r_ddy,
                    acc, vel, dis, sa, sv, sd);
      r_resa[iit * cap + j - 1] = sa;
    }
  }

  fitwave::response_spectrum spectrum(cap);
  fitwave::fit(g, nit, ampfac, eamp, ddy, fds, fds1, resa, spectrum);
  EXPECT_EQ(ddy, r_ddy);
  EXPECT_EQ(fds, r_fds);
  EXPECT_EQ(resa, r_resa);
  EXPECT_GT(resa[cap * nit + 1], 0.0f);
}

}  // namespace
