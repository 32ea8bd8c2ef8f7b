// The arithmetic of the fitting loop: correction, symmetric fill, rebuilt wave, measures.
#include "fitwave/fitting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fitwave/dialogue.h"
#include "fitwave/preparation.h"
#include "numeric/fft.h"
#include "numeric/response.h"
#include "textio/textio.h"

namespace {

using fitwave::cplx;

TEST(Correction, MultipliesByTheTargetThenDividesByTheResponse) {
  EXPECT_EQ(fitwave::corrected({3.0f, -4.0f}, 800.0f, 400.0f), cplx(6.0f, -8.0f));
  EXPECT_EQ(fitwave::corrected({0.1f, 0.0f}, 3.0f, 3.0f).real(), 0.1f * 3.0f / 3.0f);
  EXPECT_TRUE(std::isnan(fitwave::corrected({0.0f, 0.0f}, 800.0f, 0.0f).real()));
  // nf = 8: points 2..4 are mirrored onto 8..6; point 1 and the Nyquist point 5 stay.
  std::vector<cplx> a = {{9, 9}, {1, 2}, {3, 4}, {5, 6}, {7, 8}, {0, 0}, {0, 0}, {0, 0}, {4, 4}};
  fitwave::mirror_fill(a, 8);
  EXPECT_EQ(a, (std::vector<cplx>{
                   {9, 9}, {1, 2}, {3, 4}, {5, 6}, {7, 8}, {5, -6}, {3, -4}, {1, -2}, {4, 4}}));
}

TEST(Shaping, EnvelopeToThePowerAmpfac) {
  EXPECT_TRUE(std::isinf(fitwave::default_ampfac(0)));  // 1/nit, 1/0 included
  for (float e : {0.0f, 0.0625f, 0.099999994f, 1.0f}) {
    EXPECT_EQ(fitwave::shaping(e, 0.0f), 1.0f) << e;  // no shaping, even where eamp = 0
    EXPECT_EQ(fitwave::shaping(e, 1.0f), e) << e;     // the envelope itself
  }
  EXPECT_EQ(fitwave::shaping(0.0f, 0.1f), 0.0f);
  EXPECT_EQ(fitwave::shaping(0.0625f, 0.25f), 0.5f);
}

// Coefficients of a wave of nf samples at dt, as the preparation leaves them.
std::vector<cplx> coefficients(const std::vector<float>& x, int nf, float dt) {
  std::vector<cplx> fds(x.begin(), x.end());
  fds.resize(static_cast<std::size_t>(nf));
  numeric::wvfast(nf, fds, -1);
  for (auto& c : fds) c = fitwave::scale_by_dt(c, dt);
  return fds;
}

TEST(Rebuild, UnitRatiosGiveThePreviousWaveLessItsMeanTimesTheFactor) {
  constexpr int nf = 64;
  std::vector<float> x(nf), eamp(nf), ddy(nf);
  double mean = 0.0;
  for (std::size_t i = 0; i < nf; ++i) {
    x[i] = 100.0f * std::sin(0.37f * static_cast<float>(i)) + 20.0f + static_cast<float>(i % 7);
    eamp[i] = static_cast<float>(i) / nf;
    mean += double{x[i]} / nf;
  }
  for (float ampfac : {0.0f, 0.5f, 1.0f}) {
    std::vector<cplx> fds = coefficients(x, nf, 0.01f), fds1(nf);
    fds[0] = {0.0f, 0.0f};
    for (std::size_t k = 1; k <= nf / 2; ++k) fds1[k] = fitwave::corrected(fds[k], 512, 512);
    fitwave::mirror_fill(fds1, nf);
    numeric::wvfast(nf, fds1, +1);
    fitwave::rebuild_wave(fds1, nf * 0.01f, eamp, ampfac, nf, ddy);
    for (std::size_t i = 0; i < nf; ++i) {
      const double want = (double{x[i]} - mean) * std::pow(double{eamp[i]}, double{ampfac});
      EXPECT_NEAR(ddy[i], want, 1e-3) << "ampfac " << ampfac << " sample " << i;
    }
  }
}

TEST(Criteria, MeasuresOverTheirPeriodWindows) {
  struct point {
    float period, sa, target;
  };
  const auto measure = [](std::initializer_list<point> points) {
    fitwave::criteria_sums sums;
    for (const point& p : points) sums.add(p.period, p.sa, p.target);
    return sums.finish();
  };
  // Ratios 0.9, 1.0 and 1.1 inside 0.02..10 s; nothing in 1..5 s gives 0/0.
  fitwave::criteria c = measure({{0.5f, 0.9f, 1.0f}, {0.3f, 1.0f, 1.0f}, {6.0f, 1.1f, 1.0f}});
  EXPECT_EQ(c.cr1, 0.9f);
  EXPECT_NEAR(c.cr3, std::sqrt(0.02 / 3.0), 1e-6);
  EXPECT_NEAR(c.cr4, 1.0, 1e-6);
  EXPECT_TRUE(std::isnan(c.cr2));
  c = measure({{1.5f, 500.0f, 512.0f}, {2.0f, 300.0f, 256.0f}});
  EXPECT_FLOAT_EQ(c.cr2, 800.0f / 768.0f);
  c = measure({{20.0f, 400.0f, 800.0f}, {0.01f, 400.0f, 800.0f}});  // empty main window
  EXPECT_EQ(c.cr1, 9999.0f);
  EXPECT_TRUE(std::isnan(c.cr3) && std::isnan(c.cr4));
  // Both ends of each window count; the next float beyond does not.
  struct edge {
    float period;
    bool main, secondary;
  };
  for (const edge& e :
       {edge{0.02f, true, false}, edge{10.0f, true, false}, edge{1.0f, true, true},
        edge{5.0f, true, true}, edge{0.019999998f, false, false}, edge{10.000001f, false, false},
        edge{0.99999994f, true, false}, edge{5.0000005f, true, false}}) {
    c = measure({{e.period, 400.0f, 800.0f}});
    EXPECT_EQ(c.cr1, e.main ? 0.5f : 9999.0f) << e.period;
    EXPECT_EQ(c.cr2 == 0.5f, e.secondary) << e.period;
  }
}

// The loop takes the current wave's spectrum from the previous iteration's column; computed
// afresh before every correction, as the method is described, it must agree bit for bit.
TEST(FittingLoop, ReusedSpectraEqualTheInterleavedOrder) {
  textio::start_run();  // the loop reports on the console
  constexpr std::size_t nt = 200, nf = 256, nit = 3, cap = fitwave::capacity;
  const fitwave::grid g = fitwave::make_grid(nt, 0.02f, nf);
  const auto nom = static_cast<std::size_t>(g.nom);
  std::vector<float> ddy(cap), eamp(cap), resa(cap * fitwave::ncol), acc(cap), vel(cap), dis(cap);
  for (std::size_t i = 0; i < nt; ++i) ddy[i] = 150.0f * std::sin(0.7f * static_cast<float>(i));
  for (std::size_t i = 0; i < nf; ++i) eamp[i] = static_cast<float>(nf - i) / nf;
  for (std::size_t j = 2; j <= nom; ++j) resa[j - 1] = 800.0f - static_cast<float>(j);
  std::vector<cplx> fds = coefficients({ddy.begin(), ddy.begin() + nt}, nf, g.dt), fds1(cap);
  fds.resize(cap);

  std::vector<float> r_ddy = ddy, r_resa = resa, sa(cap);
  std::vector<cplx> r_fds = fds, r_fds1(cap);
  const auto spectrum_into = [&](float* out) {
    for (std::size_t j = 2; j <= nom; ++j) {
      float sv = 0, sd = 0;
      numeric::resp(0.05f, static_cast<float>(j - 1) * g.dom, g.dt, nt, r_ddy, acc, vel, dis,
                    out[j - 1], sv, sd);
    }
  };
  for (std::size_t iit = 1; iit <= nit; ++iit) {
    r_fds[0] = r_fds1[0] = cplx(0.0f, 0.0f);
    spectrum_into(sa.data());
    for (std::size_t k = 1; k < nom; ++k)
      r_fds1[k] = r_fds[k] = fitwave::corrected(r_fds[k], r_resa[k], sa[k]);
    fitwave::mirror_fill(r_fds1, nf);
    numeric::wvfast(nf, r_fds1, +1);
    fitwave::rebuild_wave(r_fds1, g.dur, eamp, 0.5f, nf, r_ddy);
    spectrum_into(r_resa.data() + iit * cap);
  }
  fitwave::response_spectrum spectrum(cap);
  fitwave::fit(g, nit, 0.5f, eamp, ddy, fds, fds1, resa, spectrum);
  EXPECT_TRUE(ddy == r_ddy && fds == r_fds && resa == r_resa);
  EXPECT_GT(resa[cap * nit + 1], 0.0f);
}

}  // namespace
