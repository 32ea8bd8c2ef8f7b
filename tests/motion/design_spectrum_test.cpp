// The Eurocode 8 elastic spectrum's recommended parameters, every row of EN 1998-1 Table 3.2
// (type 1) and Table 3.3 (type 2) as published, and the spectrum they give at its corners.
#include "motion/design_spectrum.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

struct ec8_row {
  int type;
  char ground;
  double s, tb, tc, td;
};

// EN 1998-1:2004, Tables 3.2 and 3.3: S, TB (s), TC (s), TD (s).
constexpr ec8_row published[] = {
    {1, 'A', 1.0, 0.15, 0.4, 2.0},   {1, 'B', 1.2, 0.15, 0.5, 2.0},  {1, 'C', 1.15, 0.20, 0.6, 2.0},
    {1, 'D', 1.35, 0.20, 0.8, 2.0},  {1, 'E', 1.4, 0.15, 0.5, 2.0},  {2, 'A', 1.0, 0.05, 0.25, 1.2},
    {2, 'B', 1.35, 0.05, 0.25, 1.2}, {2, 'C', 1.5, 0.10, 0.25, 1.2}, {2, 'D', 1.8, 0.10, 0.30, 1.2},
    {2, 'E', 1.6, 0.05, 0.25, 1.2},
};

TEST(design_spectrum, ec8_parameters_are_those_of_the_published_tables) {
  for (const ec8_row& r : published) {
    const motion::ec8_corners c = motion::ec8_parameters(r.type, r.ground);
    EXPECT_EQ(c.s, r.s) << "type " << r.type << ", ground " << r.ground;
    EXPECT_EQ(c.tb, r.tb) << "type " << r.type << ", ground " << r.ground;
    EXPECT_EQ(c.tc, r.tc) << "type " << r.type << ", ground " << r.ground;
    EXPECT_EQ(c.td, r.td) << "type " << r.type << ", ground " << r.ground;
  }
  // Outside the tables: nothing.
  for (const auto& [type, ground] : {std::pair{3, 'A'}, std::pair{1, 'F'}, std::pair{0, 'B'}}) {
    const motion::ec8_corners c = motion::ec8_parameters(type, ground);
    EXPECT_EQ(c.s, 0.0) << type << ground;
    EXPECT_EQ(c.td, 0.0) << type << ground;
  }
}

// At 5 % damping (eta = 1) with ag = 0.2 g: ag S at T = 0, the plateau 2.5 ag S from TB to TC,
// 2.5 ag S TC/T up to TD and 2.5 ag S TC TD/T^2 beyond.
TEST(design_spectrum, ec8_spectrum_follows_the_rows_corners) {
  for (const ec8_row& r : published) {
    motion::design_spectrum s;
    s.kind = motion::spectrum_kind::ec8;
    s.ec8_type = r.type;
    s.ground = r.ground;
    s.ag = 0.2;
    const double ags = 0.2 * 980.665 * r.s;
    const double plateau = 2.5 * ags;
    const double td2 = 2.0 * r.td;
    EXPECT_NEAR(motion::spectral_acceleration(s, 0.0), ags, 1e-9) << r.type << r.ground;
    EXPECT_NEAR(motion::spectral_acceleration(s, r.tb), plateau, 1e-9) << r.type << r.ground;
    EXPECT_NEAR(motion::spectral_acceleration(s, r.tc), plateau, 1e-9) << r.type << r.ground;
    EXPECT_NEAR(motion::spectral_acceleration(s, r.td), plateau * r.tc / r.td, 1e-9)
        << r.type << r.ground;
    EXPECT_NEAR(motion::spectral_acceleration(s, td2), plateau * r.tc * r.td / (td2 * td2), 1e-9)
        << r.type << r.ground;
  }
}

}  // namespace
