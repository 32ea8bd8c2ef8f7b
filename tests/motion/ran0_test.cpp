#include "motion/ran0.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t mask = 123459876;
constexpr std::int64_t modulus = 2147483647;

// The next state in 64-bit arithmetic, without Schrage's factorisation: the independent oracle.
std::int64_t next_state(std::int32_t idum) {
  const std::int64_t x = idum ^ mask;
  std::int64_t s = (16807 * x) % modulus;
  if (s < 0) s += modulus;
  return s;
}

TEST(ran0, seed_one_gives_the_published_first_draw) {
  std::int32_t idum = 1;
  EXPECT_EQ(motion::ran0(idum), 0.24258612526701118);
  EXPECT_EQ(idum, 408344269);
  EXPECT_EQ(idum ^ mask, 520949737);
}

TEST(ran0, state_one_reaches_the_minimal_standard_check_value_after_10000_draws) {
  std::int32_t idum = 1 ^ mask;
  for (int i = 0; i < 10000; ++i) motion::ran0(idum);
  EXPECT_EQ(idum ^ mask, 1043618065);
  EXPECT_EQ(idum, 963608629);
}

TEST(ran0, masked_zero_and_modulus_are_a_fixed_point_at_zero) {
  for (std::int32_t seed : {123459876, 2024023771, -2024023771}) {
    std::int32_t idum = seed;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(motion::ran0(idum), 0.0) << "seed " << seed;
      EXPECT_EQ(idum, mask) << "seed " << seed;
    }
  }
}

// Schrage's factorisation must give the least non-negative residue for every 32-bit value,
// negative ones and both extremes included, and the draw is that residue over the modulus.
TEST(ran0, every_state_follows_the_64_bit_recurrence) {
  constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  for (std::int32_t seed : {-1, -999, -123459877, lo, hi, lo ^ mask, hi ^ mask, 999, 1 ^ 127773}) {
    std::int32_t idum = seed;
    for (int i = 0; i < 1000; ++i) {
      const std::int64_t s = next_state(idum);
      const double r = motion::ran0(idum);
      ASSERT_EQ(idum ^ mask, s) << "seed " << seed << ", draw " << i;
      ASSERT_EQ(r, static_cast<double>(s) * (1.0 / 2147483647.0));
      ASSERT_GE(r, 0.0);
      ASSERT_LT(r, 1.0);
    }
  }
}

}  // namespace
