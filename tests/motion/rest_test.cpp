// Bringing a wave to rest and writing it to four digits without drift: drifts built by hand, so
// the line that removes them is known before the code runs.
#include "motion/rest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "motion/design_fit.h"

namespace {

TEST(rest, end_motion_by_the_trapezoidal_rule) {
  motion::rest_work work(8);
  // acc = 1 gal for 2 s: v = 0, 1, 2 cm/s; d = 0, 0.5, 2 cm.
  const std::vector<double> one{1.0, 1.0, 1.0};
  const motion::end_motion end = work.end_of(one, 1.0);
  EXPECT_DOUBLE_EQ(end.velocity, 2.0);
  EXPECT_DOUBLE_EQ(end.displacement, 2.0);
  EXPECT_DOUBLE_EQ(work.pgv(), 2.0);
  EXPECT_DOUBLE_EQ(work.pgd(), 2.0);
  EXPECT_TRUE(motion::at_rest({0.1, -1.0}));
  EXPECT_FALSE(motion::at_rest({0.1001, 0.0}));
  EXPECT_FALSE(motion::at_rest({0.0, -1.001}));
  EXPECT_FALSE(motion::at_rest({std::nan(""), 0.0}));
}

// A wave that is a known drift c0 + c1*t/T under the shape, on top of a pulse that ends at rest
// by construction (+1, -2, +1 gal over consecutive samples, whose velocity and displacement
// return to zero under the trapezoidal rule): the line found is the drift, and what is left is
// the pulse.
TEST(rest, removes_a_known_drift_and_nothing_else) {
  struct row {
    double c0, c1;
    int n;
    bool pulse;
  };
  for (const row& r : {row{1.0, 0.0, 3, false}, row{-0.5, 2.0, 11, false},
                       row{3.0, -7.0, 400, true}, row{0.0, 0.0, 50, true}}) {
    const auto n = static_cast<std::size_t>(r.n);
    std::vector<float> shape(n);
    std::vector<double> acc(n), pulse(n, 0.0);
    if (r.pulse) pulse[n / 2 - 1] = 1.0, pulse[n / 2] = -2.0, pulse[n / 2 + 1] = 1.0;
    for (std::size_t i = 0; i < n; ++i) {
      const double t = static_cast<double>(i) / static_cast<double>(n - 1);
      shape[i] = static_cast<float>(std::sin(3.0 * t) + 0.25);
      acc[i] = pulse[i] + static_cast<double>(shape[i]) * (r.c0 + r.c1 * t);
    }
    motion::rest_work work(n);
    const double dt = 0.01;
    const motion::drift_line line = work.drift_of(acc, shape, dt);
    EXPECT_NEAR(line.c0, r.c0, 1e-9) << r.n;
    EXPECT_NEAR(line.c1, r.c1, 1e-9) << r.n;
    motion::remove_drift(acc, shape, line);
    for (std::size_t i = 0; i < n; ++i) EXPECT_NEAR(acc[i], pulse[i], 1e-9) << r.n << " " << i;
    const motion::end_motion end = work.end_of(acc, dt);
    EXPECT_NEAR(end.velocity, 0.0, 1e-12);
    EXPECT_NEAR(end.displacement, 0.0, 1e-12);
  }
  // A shape that cannot move the ends leaves the wave alone.
  motion::rest_work work(4);
  const std::vector<double> acc{1.0, 2.0, 3.0, 4.0};
  const std::vector<float> zero(4, 0.0f);
  const motion::drift_line line = work.drift_of(acc, zero, 0.01);
  EXPECT_EQ(line.c0, 0.0);
  EXPECT_EQ(line.c1, 0.0);
}

// Every value written is a four-digit decimal read back into single precision, within one unit
// of the fourth digit of the exact value, and the errors do not add up: a constant 1.23456 gal
// written 1000 times sums to within half a unit (0.0005) of 1234.56, where nearest rounding
// (1.235 each time) would be 0.44 off.
TEST(round_as_written, four_digits_without_drift) {
  struct row {
    double value;
    double unit;  // of the fourth significant digit
  };
  for (const row& r :
       {row{1.23456, 1e-3}, row{-98.76543, 1e-2}, row{0.000123456, 1e-7}, row{9999.6, 1.0},
        row{-0.99996, 1e-4}, row{1.5e-21, 1e-24}, row{2.0, 1e-3}}) {
    const std::vector<double> exact(1000, r.value);
    std::vector<float> written(1000);
    motion::round_as_written(exact, written);
    double sum = 0.0;
    for (std::size_t i = 0; i < exact.size(); ++i) {
      char text[32];
      std::snprintf(text, sizeof text, "%.3E", static_cast<double>(written[i]));
      ASSERT_EQ(static_cast<float>(std::strtod(text, nullptr)), written[i]) << text;
      ASSERT_LE(std::abs(static_cast<double>(written[i]) - r.value), r.unit * 1.0000001) << text;
      sum += static_cast<double>(written[i]) - r.value;
    }
    EXPECT_LE(std::abs(sum), 0.5 * r.unit * 1.0001) << r.value;
  }
  const std::vector<double> special{0.0, INFINITY, -INFINITY};
  std::vector<float> out(3);
  motion::round_as_written(special, out);
  EXPECT_EQ(out, (std::vector<float>{0.0f, INFINITY, -INFINITY}));
}

}  // namespace
