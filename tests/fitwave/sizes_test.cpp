// The sizes of a run and the rows of its spectra table.
#include <gtest/gtest.h>

#include "fitwave/preparation.h"
#include "fitwave/results.h"
#include "fitwave/wave_input.h"

namespace {

TEST(TransformLength, SmallestPowerOfTwoFromFourTo32768) {
  struct row {
    int nt, nf, if1;
  };
  for (const row& r : {row{2, 4, 2}, row{3, 4, 2}, row{4, 4, 2}, row{5, 8, 3}, row{9, 16, 4},
                       row{8193, 16384, 14}, row{32768, 32768, 15}, row{32769, 0, 0}}) {
    const fitwave::transform_size s = fitwave::transform_length(r.nt);
    EXPECT_EQ(s.nf, r.nf) << r.nt;
    EXPECT_EQ(s.if1, r.if1) << r.nt;
  }
  const fitwave::grid g = fitwave::make_grid(8192, 0.01f, 8192);
  EXPECT_EQ(g.nom, 4097);
  EXPECT_NEAR(g.dom, 0.0766990, 1e-7);
  EXPECT_NEAR(g.eom / fitwave::two_pi, 50.0122, 1e-4);
  EXPECT_NEAR(fitwave::period_of(fitwave::omega_at(2, g.dom)), 81.92, 1e-4);
}

TEST(RowThinning, DistanceIsMeasuredFromTheLastRowKept) {
  struct row {
    float period;
    bool kept;
  };
  // In single precision 0.03f - 0.02f is exactly 0.01f (kept); 0.06f - 0.05f and 0.51f - 0.5f
  // fall just below it (skipped).
  const row rows[] = {{0.02f, true},    {0.025f, false}, {0.0299f, false}, {0.03f, true},
                      {0.0399f, false}, {0.04f, true},   {0.05f, true},    {0.06f, false},
                      {0.0601f, true},  {0.5f, true},    {0.51f, false},   {0.5101f, true},
                      {2.0f, true},     {4.0f, true}};
  fitwave::row_thinning thinning;
  for (const row& r : rows) EXPECT_EQ(thinning.keep(r.period), r.kept) << r.period;
}

}  // namespace
