// How a suite shares the machine among fits run side by side.
#include "suite/suite.h"

#include <gtest/gtest.h>

namespace {

// The cores shared out among the fits at once, rounded down, never fewer than one each.
TEST(threads_per_fit, the_cores_shared_out_at_least_one_each) {
  struct row {
    int jobs, cores, threads;
  };
  const row rows[] = {{1, 8, 8}, {2, 8, 4}, {3, 8, 2}, {8, 8, 1}, {16, 8, 1}, {0, 8, 8}, {3, 1, 1}};
  for (const row& r : rows) {
    EXPECT_EQ(wavetool::threads_per_fit(r.jobs, r.cores), r.threads)
        << r.jobs << " jobs on " << r.cores << " cores";
  }
}

}  // namespace
