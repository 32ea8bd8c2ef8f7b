// Which rows of the spectra table are written.
#include "fitwave/results.h"

#include <gtest/gtest.h>

namespace {

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
