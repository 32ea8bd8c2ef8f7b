// Which rows the spectra table keeps, and how many values each row holds.
#include "fitwave/results.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fitwave/grid.h"

namespace {

TEST(RowThinning, DistanceIsMeasuredFromTheLastRowKept) {
  struct row {
    float period;
    bool kept;
  };
  // Differences are formed in single precision: 0.03f - 0.02f is exactly 0.01f (kept), while
  // 0.06f - 0.05f falls just below it (skipped).
  const row rows[] = {
      {0.02f, true},   {0.025f, false}, {0.0299f, false}, {0.03f, true},   {0.0399f, false},
      {0.04f, true},   {0.05f, true},   {0.06f, false},   {0.0601f, true}, {0.07f, false},
      {0.0701f, true}, {0.5f, true},    {0.505f, false},  {0.509f, false}, {0.51f, false},
      {0.5101f, true}, {2.0f, true},    {4.0f, true},     {8.0f, true},
  };
  fitwave::row_thinning thinning;
  for (const row& r : rows) EXPECT_EQ(thinning.keep(r.period), r.kept) << r.period;
}

TEST(RowThinning, TableOfAnActualGrid) {
  // 8192 samples at 0.01 s: periods 81.92/(j-1), candidates from j = 4097 down to 2.
  constexpr int nom = 4097;
  const float dom = fitwave::two_pi / (8192.0f * 0.01f);
  fitwave::row_thinning thinning;
  std::vector<float> kept;
  float last_candidate = 0.0f;
  for (int j = nom; j >= 2; --j) {
    const float period = fitwave::two_pi / (static_cast<float>(j - 1) * dom);
    const bool k = thinning.keep(period);
    if (k) {
      kept.push_back(period);
    } else {
      ASSERT_FALSE(kept.empty());
      EXPECT_LT(std::fabs(period - kept.back()), 0.01f) << "skipped although far: " << period;
    }
    // Wherever the Fourier periods lie 0.01 s or more apart, every point is written.
    if (j < nom && period - last_candidate >= 0.0101f) {
      EXPECT_TRUE(k) << period;
    }
    last_candidate = period;
  }
  EXPECT_NEAR(static_cast<double>(kept.front()), 0.02, 1e-6);  // 2*dt, always first
  EXPECT_NEAR(static_cast<double>(kept.back()), 81.92, 1e-3);  // j = 2, the duration
  for (std::size_t i = 1; i < kept.size(); ++i) {
    EXPECT_GT(kept[i], kept[i - 1]);
    EXPECT_GE(kept[i] - kept[i - 1], 0.01f) << kept[i];
  }
  // At most one row per 0.01 s up to where the spacing of the grid passes 0.01 s
  // (81.92/(j-1)^2 = 0.01 at j of about 91, period 0.9 s), then all 90 points beyond.
  EXPECT_GT(kept.size(), 60u + 90u);
  EXPECT_LE(kept.size(), 88u + 91u);
}

TEST(TableRow, HoldsThePeriodAndColumnsZeroToNit) {
  struct row {
    int nit;
    std::size_t values;
  };
  const row rows[] = {{10, 12}, {2, 4}, {1, 3}, {0, 2}, {-1, 1}, {-7, 1}};
  for (const row& r : rows) EXPECT_EQ(fitwave::table_row_values(r.nit), r.values) << r.nit;
}

}  // namespace
