// The default exponent of the envelope offered by the dialogue.
#include "fitwave/dialogue.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(default_ampfac, is_one_over_nit_in_single_precision) {
  EXPECT_EQ(fitwave::default_ampfac(5), 0.2f);
  EXPECT_EQ(fitwave::default_ampfac(3), 1.0f / 3.0f);
  EXPECT_TRUE(std::isinf(fitwave::default_ampfac(0)));  // 1/0 included
}

}  // namespace
