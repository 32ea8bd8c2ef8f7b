// The limits of the correction, one heuristic at a time, on a grid small enough to follow by hand:
// 64 samples at 0.05 s, 33 grid points, element k at the period 3.2/k s. So criterion 2's periods
// (1..5 s) are elements 1-3, the top band (below 3 steps, 0.15 s) starts at element 22
// (3.2/21 = 0.152 s, 3.2/22 = 0.145 s), and its averaging reaches floor(0.1*33) = 3 elements to
// either side. The spectrum now is 1 everywhere, so the aim is the ratio itself. Every expected
// value follows from the rules written beside it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "motion/correction_limits.h"

namespace {

const motion::grid g = motion::make_grid(64, 0.05f, 64);
constexpr std::size_t points = 33;

// The aim after one more limit: ratio at every element but the first (0 Hz), unless given.
std::vector<float> limited(motion::correction_control& control, float ratio,
                           std::vector<float> aim = {}) {
  if (aim.empty()) aim.assign(points, ratio);
  aim[0] = 0.0f;
  const std::vector<float> current(points, 1.0f);
  control.limit(aim, current);
  return aim;
}

// Outside the top band a ratio that keeps its sign is raised to an exponent that starts at 1,
// grows by half each iteration up to 2, halves when the sign changes, not below 1/2. At element
// 10 (0.32 s), ratios 1.1, 1.1, 1.1, 0.9, 1.1, 1.1: exponents 1, 1.5, 2, 1, 0.5, 0.75.
TEST(correction_control, a_ratio_that_keeps_its_sign_is_raised_outside_the_top_band) {
  struct step {
    float ratio;
    double aim;  // at element 10
  };
  const step steps[] = {
      {1.1f, 1.1},        // the first iteration: the ratio itself
      {1.1f, 1.1536897},  // 1.1^1.5
      {1.1f, 1.21},       // 1.1^2.25 held to 1.1^2
      {0.9f, 0.9},        // the sign changes: 2/2 = 1
      {1.1f, 1.0488088},  // and again: 1/2, 1.1^0.5
      {1.1f, 1.0740995},  // kept: 0.75, 1.1^0.75
  };
  motion::correction_control control(g, {}, motion::judged_window);
  for (const step& s : steps) {
    EXPECT_NEAR(limited(control, s.ratio)[10], s.aim, 2e-6 * s.aim) << s.ratio;
  }
  // Switched off, the ratio is taken as it is (fitwave's correction) however long it keeps its
  // sign.
  motion::fit_tuning off;
  off.exponent.on = false;
  motion::correction_control plain(g, off, motion::judged_window);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(limited(plain, 1.1f)[10], 1.1f) << k;
}

// Raised to an exponent, a correction moves a coefficient by a factor 4 at most in one iteration:
// a ratio of 100 with the exponent 1.5 asks for 1000, and gets 4; 1/100 gets 1/4. At the exponent
// 1 (the first iteration) the ratio passes as fitwave takes it.
TEST(correction_control, outside_the_top_band_a_raised_ratio_moves_by_a_factor_4_at_most) {
  for (const float ratio : {100.0f, 0.01f}) {
    motion::correction_control control(g, {}, motion::judged_window);
    EXPECT_EQ(limited(control, ratio)[10], ratio);
    const double held = ratio > 1.0f ? 4.0 : 0.25;
    EXPECT_NEAR(limited(control, ratio)[10], held, 1e-6 * held) << ratio;  // exponent 1.5
    EXPECT_NEAR(limited(control, ratio)[5], held, 1e-6 * held) << ratio;   // 2
    EXPECT_NEAR(limited(control, ratio)[21], held, 1e-6 * held) << ratio;  // 2
  }
}

// The aim over 1..5 s (elements 1-3) is lifted by a factor that follows criterion 2: times
// 1.01/criterion 2 after every iteration, between 1 and 1.03. Element 4 (0.8 s) is never lifted.
TEST(correction_control, the_aim_over_1_to_5_s_follows_criterion_2) {
  struct row {
    std::vector<float> sums;  // criterion 2 of the iterations so far
    double lift;
    bool on = true;
  };
  const row rows[] = {
      {{0.99f}, 1.0202020},         // 1.01/0.99
      {{1.0f}, 1.01},               // aimed a hundredth above
      {{0.999f, 1.0f}, 1.0211211},  // 1.01/0.999*1.01
      {{0.99f, 0.95f}, 1.03},       // 1.0846, held to 1.03
      {{0.99f, 1.2f}, 1.0},         // 0.8587: never below the target
      {{}, 1.0},                    // before the first iteration
      {{0.99f}, 1.0, false},        // switched off
  };
  for (const row& r : rows) {
    motion::fit_tuning tuning;
    tuning.lift.on = r.on;
    motion::correction_control control(g, tuning, motion::judged_window);
    for (const float sum : r.sums) control.note_sum(sum);
    const std::vector<float> aim = limited(control, 1.0f);
    for (std::size_t k = 1; k <= 3; ++k) {
      EXPECT_NEAR(aim[k], r.lift, 3e-7 * r.lift) << "element " << k << ", lift " << r.lift;
    }
    EXPECT_EQ(aim[4], 1.0f) << r.lift;
  }
}

// In the top band each coefficient is corrected by the geometric mean of the ratios of the grid
// points within 3 elements on either side, cut at the end of the grid, the points below the band
// included; the rest of the window is not averaged (at its first iteration its ratio passes).
TEST(correction_control, in_the_top_band_a_coefficient_follows_the_mean_of_its_neighbours) {
  struct row {
    const char* name;
    std::size_t at;  // the one element whose ratio is not 1
    float ratio;
    std::vector<std::pair<std::size_t, double>> expected;  // element, aim
  };
  const double mean8 = 1.3459002;  // 8^(1/7): ln 8 over the 7 points of a full window
  const row rows[] = {
      {"8 at element 26",
       26,
       8.0f,
       {{22, 1.0}, {23, mean8}, {26, mean8}, {29, mean8}, {30, 1.0}, {32, 1.0}}},
      // Near the end the window holds 7, 6, 5 and 4 points: 16^(1/7), 16^(1/6), 16^(1/5), 16^(1/4).
      {"16 at the last element",
       32,
       16.0f,
       {{28, 1.0}, {29, 1.4859943}, {30, 1.5874011}, {31, 1.7411011}, {32, 2.0}}},
      // Element 21 lies below the band: its own ratio passes, its neighbours in the band take it
      // into their means.
      {"8 below the band", 21, 8.0f, {{20, 1.0}, {21, 8.0}, {22, mean8}, {24, mean8}, {25, 1.0}}},
  };
  for (const row& r : rows) {
    motion::correction_control control(g, {}, motion::judged_window);
    std::vector<float> aim(points, 1.0f);
    aim[r.at] = r.ratio;
    aim = limited(control, 1.0f, aim);
    for (const auto& [k, expected] : r.expected) {
      EXPECT_NEAR(aim[k], expected, 2e-6 * expected) << r.name << ", element " << k;
    }
  }
  // On a finer grid the half-width is told apart to a hundredth: 256 samples, 129 grid points,
  // floor(0.1*129) = 12 on either side (11 at 9 %, 13 at 10.1 %). A ratio of 2^25 at element 100
  // (12.8/100 s, in the band from element 86) gives 2^(25/25) = 2 to the 25 points from 88 to 112.
  {
    const motion::grid fine = motion::make_grid(256, 0.05f, 256);
    motion::correction_control control(fine, {}, motion::judged_window);
    std::vector<float> aim(129, 1.0f);
    aim[0] = 0.0f;
    aim[100] = 33554432.0f;
    control.limit(aim, std::vector<float>(129, 1.0f));
    for (const auto& [k, expected] : {std::pair{87, 1.0}, std::pair{88, 2.0}, std::pair{100, 2.0},
                                      std::pair{112, 2.0}, std::pair{113, 1.0}}) {
      EXPECT_NEAR(aim[static_cast<std::size_t>(k)], expected, 1e-5) << "element " << k;
    }
  }
  // Switched off, nothing is averaged.
  motion::fit_tuning off;
  off.top_band.on = false;
  motion::correction_control control(g, off, motion::judged_window);
  std::vector<float> aim(points, 1.0f);
  aim[26] = 8.0f;
  aim = limited(control, 1.0f, aim);
  EXPECT_EQ(aim[26], 8.0f);
  EXPECT_EQ(aim[25], 1.0f);
}

// In the top band the exponent grows by half while the mean keeps its sign, up to 8, halves when
// it changes, down to 1/4, and the step is held to a factor 4 from the first iteration on.
TEST(correction_control, in_the_top_band_the_exponent_grows_to_8_and_falls_to_a_quarter) {
  struct step {
    float ratio;
    double aim;  // at element 26, every ratio the same
  };
  const float up = 1.1f, down = 1.0f / 1.1f;
  const step steps[] = {
      {up, 1.1},           // exponent 1
      {up, 1.1536897},     // 1.5
      {up, 1.2391776},     // 2.25
      {up, 1.3794321},     // 3.375
      {up, 1.6201323},     // 5.0625
      {up, 2.0621759},     // 7.59375
      {up, 2.1435888},     // 11.39 held to 8: 1.1^8
      {down, 0.68301346},  // 4: 1.1^-4
      {up, 1.21},          // 2
      {down, 1.0 / 1.1},   // 1
      {up, 1.0488088},     // 1/2
      {down, 0.97645409},  // 1/4: 1.1^-0.25
      {up, 1.0241137},     // 1/8 held to 1/4
  };
  motion::correction_control control(g, {}, motion::judged_window);
  for (const step& s : steps) {
    const std::vector<float> aim = limited(control, s.ratio);
    EXPECT_NEAR(aim[26], s.aim, 2e-6 * s.aim) << s.aim;
    EXPECT_NEAR(aim[32], s.aim, 2e-6 * s.aim) << s.aim;
  }
  for (const float ratio : {100.0f, 0.01f}) {
    motion::correction_control first(g, {}, motion::judged_window);
    const double held = ratio > 1.0f ? 4.0 : 0.25;
    EXPECT_NEAR(limited(first, ratio)[26], held, 1e-6 * held) << ratio;
  }
}

}  // namespace
