// The soil curves against values worked out by hand from their published formulas.
#include "site/curves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "site/column.h"
#include "site/profile.h"

namespace {

// Hardin-Drnevich with g_ref = 0.18 %, h_max = 0.17, h_min = 0.01:
// at 0.018 %: G/G0 = 1/1.1, h = 0.17 x 0.1/1.1 + 0.01; at 0.18 %: 1/2, 0.095; at 1.8 %: 1/11,
// 0.17 x 10/11 + 0.01.
TEST(soil_curves, hardin_drnevich_at_three_strains) {
  const site::soil_curve curve = site::hardin_drnevich{0.18, 0.17, 0.01};
  const struct {
    double strain, g_ratio, damping;
  } rows[] = {{0.018, 1.0 / 1.1, 0.17 * 0.1 / 1.1 + 0.01},
              {0.18, 0.5, 0.095},
              {1.8, 1.0 / 11.0, 0.17 * 10.0 / 11.0 + 0.01},
              {0.0, 1.0, 0.01}};
  for (const auto& row : rows) {
    const site::curve_value v = site::curve_at(curve, row.strain, 0.0);
    EXPECT_NEAR(v.g_ratio, row.g_ratio, 1e-15) << row.strain;
    EXPECT_NEAR(v.damping, row.damping, 1e-15) << row.strain;
    EXPECT_FALSE(v.beyond_table);
  }
}

// Darendeli (2001), PI 20, OCR 1, sigma'_m 50 kPa = 0.4934616 atm, 1 Hz, 10 cycles:
//   g_r   = (0.0352 + 0.0010 x 20 x 1^0.3246) x 0.4934616^0.3483 = 0.0552 x 0.7819161
//         = 0.04316177 %
//   D_min = (0.8005 + 0.0129 x 20) x 0.4934616^-0.2889 x (1 + 0) = 1.0585 x 1.2263632 = 1.2981054 %
//   a = 0.919: c1 = 1.0221999, c2 = -0.0067618, c3 = 0.0000615; b = 0.6329 - 0.00566 ln 10
//         = 0.6198674
//   strain 0.001 %: (g/g_r)^a = 0.0314300, G/G0 = 0.9695278, D_a1 = 0.4860366 %,
//                   D_M = 0.4952362 %, D = b G^0.1 D_M + D_min = 1.6041377 %
//   strain 0.01 %:  0.2608217, G/G0 = 0.7931335, D_a1 = 4.4156631, D_M = 4.3871440, D = 3.9552507 %
//   strain 0.1 %:   2.1644313, G/G0 = 0.3160125, D_a1 = 24.284415, D_M = 21.716887, D = 13.294943 %
TEST(soil_curves, darendeli_at_three_strains) {
  site::darendeli soil;
  soil.plasticity = 20.0;
  soil.ocr = 1.0;
  EXPECT_NEAR(site::darendeli_reference_strain(soil, 50.0), 0.04316177, 1e-8);
  EXPECT_NEAR(site::darendeli_minimum_damping(soil, 50.0), 1.2981054, 1e-7);
  const struct {
    double strain, masing, g_ratio, damping_pct;
  } rows[] = {{0.001, 0.4860366, 0.9695278, 1.6041377},
              {0.01, 4.4156631, 0.7931335, 3.9552507},
              {0.1, 24.284415, 0.3160125, 13.294943}};
  for (const auto& row : rows) {
    const site::curve_value v = site::curve_at(soil, row.strain, 50.0);
    EXPECT_NEAR(v.g_ratio, row.g_ratio, 1e-7) << row.strain;
    EXPECT_NEAR(v.damping, row.damping_pct / 100.0, 1e-8) << row.strain;
    EXPECT_NEAR(site::masing_damping_hyperbolic(row.strain, 0.04316177), row.masing, 2e-6)
        << row.strain;
  }
  // A mean stress of its own wins over the column's.
  soil.mean_stress_kpa = 50.0;
  EXPECT_NEAR(site::curve_at(soil, 0.01, 400.0).g_ratio, 0.7931335, 1e-7);
  // At zero strain only the minimum damping is left.
  const site::curve_value small = site::curve_at(soil, 0.0, 0.0);
  EXPECT_EQ(small.g_ratio, 1.0);
  EXPECT_NEAR(small.damping, 0.012981054, 1e-9);
}

// Masing damping near zero strain, where the closed form cancels: against it in long double from
// x = g/g_r = 1e-3 up, and below against its leading terms (100/pi)(2x/3 - x^2/3).
TEST(soil_curves, masing_damping_is_smooth_through_small_strains) {
  const double tiny = 1e-6;
  EXPECT_NEAR(site::masing_damping_hyperbolic(tiny * 0.04, 0.04),
              100.0 / std::numbers::pi * (2.0 * tiny / 3.0 - tiny * tiny / 3.0), 1e-10 * tiny);
  for (double x : {1e-3, 0.05, 0.0999, 0.1001, 0.5}) {
    const long double xl = x;
    const long double want = 100.0L / std::numbers::pi_v<long double> *
                             (4.0L * (1.0L + xl) * (xl - std::log1p(xl)) / (xl * xl) - 2.0L);
    const double got = site::masing_damping_hyperbolic(x * 0.04, 0.04);
    EXPECT_NEAR(got, static_cast<double>(want), 1e-9 * static_cast<double>(want)) << x;
  }
}

// Rows (strain %, G/G0, damping) interpolated linearly in log strain: at 10^-2.5 % halfway between
// the rows at 0.001 and 0.01; at 0.002 % a fraction log10(2) = 0.30103 of the way.
TEST(soil_curves, table_interpolates_in_log_strain_and_holds_its_ends) {
  const site::soil_curve curve = site::strain_table{
      {{0.0001, 1.0, 0.02}, {0.001, 0.95, 0.03}, {0.01, 0.7, 0.08}, {0.1, 0.3, 0.18}}};
  const struct {
    double strain, g_ratio, damping;
    bool beyond;
  } rows[] = {
      {std::pow(10.0, -2.5), 0.825, 0.055, false},
      {0.002, 0.95 - 0.25 * std::log10(2.0), 0.03 + 0.05 * std::log10(2.0), false},
      {0.0001, 1.0, 0.02, false},
      {0.1, 0.3, 0.18, false},
      {0.00005, 1.0, 0.02, true},
      {1.0, 0.3, 0.18, true},
  };
  for (const auto& row : rows) {
    const site::curve_value v = site::curve_at(curve, row.strain, 0.0);
    EXPECT_NEAR(v.g_ratio, row.g_ratio, 1e-14) << row.strain;
    EXPECT_NEAR(v.damping, row.damping, 1e-14) << row.strain;
    EXPECT_EQ(v.beyond_table, row.beyond) << row.strain;
  }
}

// sigma'_v = 16 x 2 (2 m dry) + 18 x 3 - 9.81 x 3 (3 m under water) = 56.57 kPa at 5 m, the middle
// of the second layer; sigma'_m = 56.57 (1 + 2 x 0.5) / 3.
TEST(soil_curves, mean_stress_from_unit_weights_water_table_and_k0) {
  site::site_profile p;
  p.water_table = 2.0;
  p.layers = {{"fill", 2.0, 120.0, 16.0, site::constant_damping{}},
              {"clay", 6.0, 160.0, 18.0, site::darendeli{}}};
  p.bedrock = {400.0, 19.0, 0.01};
  EXPECT_NEAR(site::vertical_effective_stress(p, 5.0), 56.57, 1e-12);
  EXPECT_NEAR(site::layer_mean_stress(p, 1), 56.57 * 2.0 / 3.0, 1e-12);
  std::get<site::darendeli>(p.layers[1].curve).k0 = 1.0;
  EXPECT_NEAR(site::layer_mean_stress(p, 1), 56.57, 1e-12);
  // Below the bedrock's top its own unit weight: 32 + 108 + 19 x 1 - 9.81 x 7 at 9 m.
  EXPECT_NEAR(site::vertical_effective_stress(p, 9.0), 32.0 + 108.0 + 19.0 - 68.67, 1e-12);
  EXPECT_NEAR(site::unit_weight_of_density(1.63), 1.63 * 9.80665, 1e-12);
  EXPECT_NEAR(site::strain_ratio_of_magnitude(7.5), 0.65, 1e-15);
}

}  // namespace
