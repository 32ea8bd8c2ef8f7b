#include "numeric/design.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float om1 = 9.817477f;
constexpr float om2 = 39.26991f;

TEST(target, spectrum_by_circular_frequency_follows_the_three_branches) {
  struct row {
    float period;
    double sa;
  };
  const row rows[] = {{0.05f, 470.0}, {0.1f, 620.0}, {0.4f, 800.0}, {1.0f, 512.0},
                      {2.0f, 256.0},  {5.0f, 102.4}, {81.92f, 6.25}};
  for (const row& r : rows) {
    const float omega = 6.2831855f / r.period;
    EXPECT_NEAR(numeric::tgtsa(omega), r.sa, 2e-6 * r.sa) << "T = " << r.period;
  }
}

TEST(target, spectrum_by_period_follows_the_three_branches) {
  struct row {
    double period, sa;
  };
  const row rows[] = {{0.05, 470.0}, {0.1, 620.0}, {0.4, 800.0},
                      {1.0, 512.0},  {5.0, 102.4}, {81.92, 6.25}};
  for (const row& r : rows) EXPECT_NEAR(numeric::dtgtsa(r.period), r.sa, 1e-12) << r.period;
}

// The corners belong to the flat part and give 800 exactly.
TEST(target, corners_give_exactly_800) {
  EXPECT_EQ(numeric::tgtsa(om1), 800.0f);
  EXPECT_EQ(numeric::tgtsa(om2), 800.0f);
  EXPECT_EQ(numeric::dtgtsa(0.16), 800.0);
  EXPECT_EQ(numeric::dtgtsa(0.64), 800.0);
}

TEST(envelope, single_precision_curve_with_default_corners) {
  struct row {
    float t, value, tol;
  };
  const row rows[] = {
      {0.0f, 0.0f, 0.0f},  {1.0f, 0.0625f, 0.0f}, {2.0f, 0.25f, 0.0f},       {4.0f, 1.0f, 0.0f},
      {20.0f, 1.0f, 0.0f}, {35.0f, 1.0f, 0.0f},   {47.5f, 0.316228f, 1e-6f}, {70.0f, 0.025f, 1e-9f},
      {80.0f, 0.0f, 0.0f}, {80.01f, 0.0f, 0.0f},  {200.0f, 0.0f, 0.0f},
  };
  for (const row& r : rows)
    EXPECT_NEAR(numeric::envamp(r.t, 4.0f, 35.0f, 60.0f, 80.0f), r.value, r.tol) << "t = " << r.t;
  // At td the decay branch applies, with the logarithm of 0.1 rounded to single.
  EXPECT_EQ(numeric::envamp(60.0f, 4.0f, 35.0f, 60.0f, 80.0f), 0.099999994f);
}

TEST(envelope, double_precision_curve_with_seed_wave_corners) {
  struct row {
    double t, value, tol;
  };
  const row rows[] = {
      {0.0, 0.0, 0.0},
      {2.0, 0.25, 0.0},
      {4.0, 1.0, 0.0},
      {35.0, 1.0, 0.0},
      {47.5, std::sqrt(0.1), 1e-15},
      {70.0, 0.0295714, 1e-7},
      {81.92, 0.0, 0.0},
      {90.0, 0.0, 0.0},
  };
  for (const row& r : rows)
    EXPECT_NEAR(numeric::denvamp(r.t, 4.0, 35.0, 60.0, 81.92, 0.1), r.value, r.tol) << r.t;
  // At td the quadratic tail applies and gives afac exactly (the decay would give 0.1 + 1 ulp).
  EXPECT_EQ(numeric::denvamp(60.0, 4.0, 35.0, 60.0, 81.92, 0.1), 0.1);
}

TEST(envelope, corner_times_out_of_order_follow_each_variant_test_order) {
  struct row {
    double t, tb, tc, td, te;
    float single;
    double dbl;
  };
  const double p08 = std::pow(0.1, 0.8), p04 = std::pow(0.1, 0.4);
  const row rows[] = {
      // te before td: the single variant is 0 after te, the double one decays up to td.
      {55.0, 4.0, 35.0, 60.0, 50.0, 0.0f, p08},
      {45.0, 4.0, 35.0, 60.0, 50.0, static_cast<float>(p04), p04},
      {60.0, 4.0, 35.0, 60.0, 50.0, 0.0f, 0.0},
      // td before tc: the single variant takes the tail after td, the double one stays at 1.
      {50.0, 4.0, 60.0, 35.0, 80.0, static_cast<float>(0.1 * (30.0 / 45.0) * (30.0 / 45.0)), 1.0},
      // tb after tc: both rise up to tb.
      {8.0, 10.0, 5.0, 60.0, 80.0, 0.64f, 0.64},
  };
  for (const row& r : rows) {
    const auto f = [](double v) { return static_cast<float>(v); };
    EXPECT_NEAR(numeric::envamp(f(r.t), f(r.tb), f(r.tc), f(r.td), f(r.te)), r.single, 1e-6f)
        << "t = " << r.t;
    EXPECT_NEAR(numeric::denvamp(r.t, r.tb, r.tc, r.td, r.te, 0.1), r.dbl, 1e-12) << "t = " << r.t;
  }
}

// tb = 0 would make the rise 0/0 at t = 0; both variants skip the rise instead.
TEST(envelope, zero_rise_time_gives_the_constant_part_at_time_zero) {
  EXPECT_EQ(numeric::envamp(0.0f, 0.0f, 35.0f, 60.0f, 80.0f), 1.0f);
  EXPECT_EQ(numeric::denvamp(0.0, 0.0, 35.0, 60.0, 81.92, 0.1), 1.0);
  EXPECT_EQ(numeric::envamp(10.0f, 0.0f, 35.0f, 60.0f, 80.0f), 1.0f);
  EXPECT_EQ(numeric::envamp(0.0f, 0.0f, 0.0f, 60.0f, 80.0f), 1.0f);
}

}  // namespace
