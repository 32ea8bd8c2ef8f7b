// The time-domain measures against small cases worked by hand: trapezoidal velocity and
// displacement from rest, peaks, Arias intensity and the 5-95 % duration.
#include "motion/measures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

// pi/(2g) with g in m/s^2: the Arias intensity (m/s) of an integral of a^2 of 1 m^2/s^3.
const double arias_unit = std::numbers::pi / (2.0 * 9.80665);

TEST(integrate_from_rest, trapezoidal_velocity_and_displacement) {
  struct row {
    std::vector<double> acc;
    double dt;
    std::vector<double> vel, dis;
  };
  const row rows[] = {
      // Velocity by the trapezoid of acc, displacement by the trapezoid of velocity.
      {{0, 2, 2, 0}, 0.5, {0, 0.5, 1.5, 2.0}, {0, 0.125, 0.625, 1.5}},
      // Constant acceleration: v = t, d = t^2/2, exact for the trapezoid of a straight line.
      {{1, 1, 1}, 1.0, {0, 1, 2}, {0, 0.5, 2.0}},
      {{0, -2, -2, 0}, 0.5, {0, -0.5, -1.5, -2.0}, {0, -0.125, -0.625, -1.5}},
      {{7}, 0.01, {0}, {0}},
      {{}, 0.01, {}, {}},
  };
  for (const row& r : rows) {
    std::vector<double> vel(r.acc.size(), -99.0), dis(r.acc.size(), -99.0);
    motion::integrate_from_rest(r.acc, r.dt, vel, dis);
    for (std::size_t i = 0; i < r.acc.size(); ++i) {
      EXPECT_DOUBLE_EQ(vel[i], r.vel[i]) << "sample " << i << " of " << r.acc.size();
      EXPECT_DOUBLE_EQ(dis[i], r.dis[i]) << "sample " << i << " of " << r.acc.size();
    }
  }
}

TEST(peak_abs, largest_magnitude_and_its_first_sample) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct row {
    std::vector<double> x;
    double value;
    std::size_t index;
  };
  const row rows[] = {
      {{1, -3, 3, 2}, 3, 1},  // the first of two equal magnitudes
      {{1, 2, -5}, 5, 2},    {{0, 0}, 0, 0}, {{}, 0, 0}, {{nan, -2, 1}, 2, 1},
  };
  for (const row& r : rows) {
    const motion::peak p = motion::peak_abs(r.x);
    EXPECT_EQ(p.value, r.value) << r.x.size();
    EXPECT_EQ(p.index, r.index) << r.x.size();
  }
}

TEST(arias_intensity, trapezoid_of_the_square_in_metres) {
  struct row {
    std::vector<double> acc;  // gal
    double dt;
    double integral;  // of a^2 dt, (m/s^2)^2 s, by hand
  };
  const row rows[] = {
      {{100, 100, 100}, 0.5, 1.0},  // 1 m/s^2 for 1 s
      {{100, 0, 0}, 1.0, 0.5},      // half the first step: not a rectangle rule
      {{-200, 0}, 0.25, 0.5},       // (4 + 0)/2 * 0.25
      {{0, 2, 2, 0}, 0.5, 4e-4},    // (4/2 + 8/2 + 4/2) * 0.5 gal^2 s
      {{100}, 1.0, 0.0},            // a single sample spans no time
  };
  for (const row& r : rows) {
    EXPECT_NEAR(motion::arias_intensity(r.acc, r.dt), arias_unit * r.integral, 1e-15)
        << r.acc.size() << " samples, first " << (r.acc.empty() ? 0 : r.acc[0]);
  }
}

TEST(significant_duration, between_five_and_ninety_five_percent_of_the_energy) {
  struct row {
    std::vector<double> acc;
    double dt;
    double d5_95;  // by hand
  };
  const row rows[] = {
      // Uniform energy over 1 s: from 0.05 s to 0.95 s.
      {std::vector<double>(11, 100.0), 0.1, 0.9},
      // Energy 0.5 in step 1-2 and 0.5 in step 2-3: 5 % at 1.1 s, 95 % at 2.9 s.
      {{0, 0, 100, 0, 0}, 1.0, 1.8},
      // Running sums 0, 1, 3, 4: 5 % (0.2) at 0.1 s, 95 % (3.8) at 1.4 s.
      {{0, 2, 2, 0}, 0.5, 1.3},
      {{0, 0, 0}, 0.5, 0.0},  // no energy
      {{100}, 0.5, 0.0},
  };
  for (const row& r : rows) {
    EXPECT_NEAR(motion::significant_duration(r.acc, r.dt), r.d5_95, 1e-12)
        << r.acc.size() << " samples at " << r.dt;
  }
}

TEST(summarize, the_whole_report_of_a_small_wave) {
  const std::vector<double> acc{0, -2, -2, 0};
  const motion::motion_summary s = motion::summarize(acc, 0.5);
  EXPECT_EQ(s.samples, 4u);
  EXPECT_EQ(s.dt, 0.5);
  EXPECT_EQ(s.pga, 2.0);
  EXPECT_EQ(s.pga_time, 0.5);  // the first sample reaching the peak
  EXPECT_DOUBLE_EQ(s.pgv, 2.0);
  EXPECT_DOUBLE_EQ(s.pgd, 1.5);
  EXPECT_DOUBLE_EQ(s.end_velocity, -2.0);
  EXPECT_DOUBLE_EQ(s.end_displacement, -1.5);
  EXPECT_NEAR(s.arias, arias_unit * 4e-4, 1e-15);
  EXPECT_NEAR(s.d5_95, 1.3, 1e-12);
  EXPECT_EQ(motion::summarize({}, 0.5).samples, 0u);
}

}  // namespace
