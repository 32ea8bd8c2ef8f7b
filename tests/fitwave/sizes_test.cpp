// The sizes of a run: transform length, frequency grid, default exponent, coefficient scale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "fitwave/dialogue.h"
#include "fitwave/grid.h"
#include "fitwave/preparation.h"
#include "fitwave/spectrum.h"
#include "fitwave/wave_input.h"
#include "numeric/response.h"

namespace {

TEST(TransformLength, SmallestPowerOfTwoFromFourTo32768) {
  struct row {
    int nt, nf, if1;
  };
  const row rows[] = {
      {2, 4, 2},          {3, 4, 2},          {4, 4, 2},        {5, 8, 3},
      {8, 8, 2 + 1},      {9, 16, 4},         {8192, 8192, 13}, {8193, 16384, 14},
      {32767, 32768, 15}, {32768, 32768, 15}, {32769, 0, 0},    {66001, 0, 0},
  };
  for (const row& r : rows) {
    const fitwave::transform_size s = fitwave::transform_length(r.nt);
    EXPECT_EQ(s.nf, r.nf) << r.nt;
    EXPECT_EQ(s.if1, r.if1) << r.nt;
  }
}

TEST(Grid, EightThousandSamplesAtOneHundredth) {
  const fitwave::grid g = fitwave::make_grid(8000, 0.01f, 8192);
  EXPECT_FLOAT_EQ(g.dur, 81.92f);
  EXPECT_NEAR(static_cast<double>(g.dom), 0.0766990, 1e-7);
  EXPECT_EQ(g.nom, 4097);
  EXPECT_NEAR(static_cast<double>(g.eom), 314.236, 1e-3);
  EXPECT_NEAR(static_cast<double>(g.eom / fitwave::two_pi), 50.0122, 1e-4);
  // The lowest point has the period dur, the highest 2*dt.
  EXPECT_NEAR(static_cast<double>(fitwave::period_of(fitwave::omega_at(2, g.dom))), 81.92, 1e-4);
  EXPECT_NEAR(static_cast<double>(fitwave::period_of(fitwave::omega_at(g.nom, g.dom))), 0.02, 1e-8);
}

TEST(Grid, ZeroStepGivesInfiniteFrequencies) {
  const fitwave::grid g = fitwave::make_grid(2, 0.0f, 4);
  EXPECT_EQ(g.dur, 0.0f);
  EXPECT_TRUE(std::isinf(g.dom));
  EXPECT_TRUE(std::isinf(g.eom));
}

TEST(DefaultAmpfac, OneOverNitInSinglePrecision) {
  EXPECT_EQ(fitwave::default_ampfac(10), 0.1f);
  EXPECT_EQ(fitwave::default_ampfac(3), 0.333333343f);
  EXPECT_EQ(fitwave::default_ampfac(1), 1.0f);
  EXPECT_EQ(fitwave::default_ampfac(-2), -0.5f);
  EXPECT_EQ(fitwave::default_ampfac(0), std::numeric_limits<float>::infinity());
}

TEST(ScaleByDt, ComplexProductWithRealStep) {
  EXPECT_EQ(fitwave::scale_by_dt({2.0f, -3.0f}, 0.5f), fitwave::cplx(1.0f, -1.5f));
  // A full complex product: an infinite part spills a NaN into the other one.
  const float inf = std::numeric_limits<float>::infinity();
  const fitwave::cplx c = fitwave::scale_by_dt({1.0f, inf}, 0.5f);
  EXPECT_TRUE(std::isnan(c.real()));
  EXPECT_EQ(c.imag(), inf);
}

TEST(ResponseSpectrum, FillsGridPointsTwoToNomOnly) {
  constexpr int nt = 200, nom = 9;
  constexpr float dt = 0.01f, dom = 3.0f;
  std::vector<float> ddy(nt);
  for (int i = 0; i < nt; ++i) ddy[static_cast<std::size_t>(i)] = std::sin(0.3f * float(i));
  std::vector<float> sa(nom + 2, -1.0f);
  fitwave::response_spectrum spectrum(1000);
  spectrum.compute(ddy, nt, dt, dom, nom, sa);
  EXPECT_EQ(sa[0], -1.0f);
  EXPECT_EQ(sa[nom], -1.0f);
  std::vector<float> acc(nt), vel(nt), dis(nt);
  for (int j = 2; j <= nom; ++j) {
    float want = 0, sv = 0, sd = 0;
    numeric::resp(0.05f, float(j - 1) * dom, dt, nt, ddy, acc, vel, dis, want, sv, sd);
    EXPECT_EQ(sa[static_cast<std::size_t>(j - 1)], want) << j;
    EXPECT_GT(want, 0.0f);
  }
}

}  // namespace
