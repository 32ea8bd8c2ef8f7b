// The envelope's corners as fit, seed and a plan read them: one order and one way to read each
// number, so that the three never disagree on a corner list.
#include "operations/envelope_corners.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <vector>

namespace {

using corners = std::optional<std::array<double, 4>>;

TEST(envelope_corners, one_order_and_one_number_rule_for_every_list) {
  struct row {
    const char* text;
    corners expected;
  };
  const row rows[] = {
      {"4,35,60,80", std::array<double, 4>{4, 35, 60, 80}},
      {"1.5D0,35,60,80", std::array<double, 4>{1.5, 35, 60, 80}},  // the Fortran exponent
      {"1,1,6,9", std::array<double, 4>{1, 1, 6, 9}},              // equal neighbours
      {"0,0,0,0.01", std::array<double, 4>{0, 0, 0, 0.01}},        // TB = 0, TE just above
      {"1,2,3", std::nullopt},
      {"4,35,60,80,90", std::nullopt},
      {"4,3,60,80", std::nullopt},
      {"4,35,30,80", std::nullopt},
      {"4,35,60,50", std::nullopt},
      {"-1,35,60,80", std::nullopt},
      {"0,0,0,0", std::nullopt},  // TE > 0
      {"4,35,60,inf", std::nullopt},
      {"4,35,60,1e999", std::nullopt},
      {"nan,35,60,80", std::nullopt},
      {"4, 35,60,80", std::nullopt},  // a blank around a number, as records refuse it
      {"4,35,60,80,", std::nullopt},
      {"1.5-3,35,60,80", std::nullopt},  // two numbers run together
  };
  for (const row& r : rows) {
    EXPECT_EQ(wavetool::corners_from_text(r.text), r.expected) << r.text;
  }
  // A plan's list of numbers by the same order.
  EXPECT_EQ(wavetool::ordered_corners(std::vector<double>{4, 3, 60, 80}), std::nullopt);
  EXPECT_EQ(wavetool::ordered_corners(std::vector<double>{1, 2, 3}), std::nullopt);
  EXPECT_EQ(wavetool::ordered_corners(std::vector<double>{2, 16, 30, 40}),
            (std::array<double, 4>{2, 16, 30, 40}));
}

}  // namespace
