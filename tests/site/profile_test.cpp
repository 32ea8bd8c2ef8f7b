// Profiles refused before any work: each bad value as a row, with where it lies and why.
#include "site/profile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

namespace {

using part = site::profile_fault::part;
using field = site::profile_field;

site::site_profile good() {
  site::site_profile p;
  p.layers = {{"fill", 4.0, 120.0, 16.0, site::hardin_drnevich{0.18, 0.17, 0.0}},
              {"clay", 8.0, 160.0, 17.0, site::darendeli{}},
              {"sand", 10.0, 250.0, 18.0,
               site::strain_table{{{0.0001, 1.0, 0.01}, {0.01, 0.8, 0.05}, {1.0, 0.2, 0.2}}}},
              {"rock-like", 3.0, 350.0, 19.0, site::constant_damping{0.02}}};
  p.bedrock = {400.0, 19.0, 0.01};
  return p;
}

site::hardin_drnevich& hd(site::site_profile& p) {
  return std::get<site::hardin_drnevich>(p.layers[0].curve);
}
site::darendeli& dar(site::site_profile& p) {
  return std::get<site::darendeli>(p.layers[1].curve);
}
site::strain_table& tab(site::site_profile& p) {
  return std::get<site::strain_table>(p.layers[2].curve);
}

TEST(site_profile, bad_values_are_refused_with_where_and_why) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    const char* what;
    std::function<void(site::site_profile&)> spoil;
    part where;
    std::size_t layer;
    std::optional<std::size_t> row;
    field key;
    const char* reason;
  } rows[] = {
      {"ratio 0",
       [](auto& p) { p.strain_ratio = 0.0; },
       part::site,
       0,
       {},
       field::strain_ratio,
       "must be in (0, 1]"},
      {"ratio 1.2",
       [](auto& p) { p.strain_ratio = 1.2; },
       part::site,
       0,
       {},
       field::strain_ratio,
       "must be in (0, 1]"},
      {"tolerance",
       [](auto& p) { p.tolerance = 0.0; },
       part::site,
       0,
       {},
       field::tolerance,
       "must be positive"},
      {"iterations",
       [](auto& p) { p.max_iterations = 0; },
       part::site,
       0,
       {},
       field::max_iterations,
       "must be at least 1"},
      {"f_max",
       [nan](auto& p) { p.max_frequency = nan; },
       part::site,
       0,
       {},
       field::max_frequency,
       "must be positive"},
      {"water",
       [](auto& p) { p.water_table = -1.0; },
       part::site,
       0,
       {},
       field::water_table,
       "must not be negative"},
      {"no layer",
       [](auto& p) { p.layers.clear(); },
       part::site,
       0,
       {},
       field::layers,
       "the column needs at least one layer"},
      {"thickness 0",
       [](auto& p) { p.layers[1].thickness = 0.0; },
       part::layer,
       1,
       {},
       field::thickness,
       "must be positive"},
      {"vs negative",
       [](auto& p) { p.layers[3].vs = -10.0; },
       part::layer,
       3,
       {},
       field::vs,
       "must be positive"},
      {"vs NaN",
       [nan](auto& p) { p.layers[0].vs = nan; },
       part::layer,
       0,
       {},
       field::vs,
       "must be positive"},
      {"unit weight",
       [](auto& p) { p.layers[2].unit_weight = 0.0; },
       part::layer,
       2,
       {},
       field::unit_weight,
       "must be positive"},
      {"gamma_ref",
       [](auto& p) { hd(p).gamma_ref_pct = 0.0; },
       part::layer,
       0,
       {},
       field::gamma_ref,
       "must be positive"},
      {"h_max 1",
       [](auto& p) { hd(p).h_max = 1.0; },
       part::layer,
       0,
       {},
       field::h_max,
       "must be in [0, 1)"},
      {"h_min < 0",
       [](auto& p) { hd(p).h_min = -0.01; },
       part::layer,
       0,
       {},
       field::h_min,
       "must be in [0, 1)"},
      {"h sum",
       [](auto& p) { hd(p).h_min = 0.9; },
       part::layer,
       0,
       {},
       field::h_max,
       "with h_min must stay below 1"},
      {"PI",
       [](auto& p) { dar(p).plasticity = -5.0; },
       part::layer,
       1,
       {},
       field::plasticity,
       "must not be negative"},
      {"OCR",
       [](auto& p) { dar(p).ocr = 0.0; },
       part::layer,
       1,
       {},
       field::ocr,
       "must be positive"},
      {"mean stress",
       [](auto& p) { dar(p).mean_stress_kpa = -3.0; },
       part::layer,
       1,
       {},
       field::mean_stress,
       "must be positive"},
      {"k0", [](auto& p) { dar(p).k0 = 0.0; }, part::layer, 1, {}, field::k0, "must be positive"},
      {"frequency",
       [](auto& p) { dar(p).frequency = 0.0; },
       part::layer,
       1,
       {},
       field::frequency,
       "must be positive"},
      {"cycles",
       [](auto& p) { dar(p).cycles = 0.5; },
       part::layer,
       1,
       {},
       field::cycles,
       "must be at least 1"},
      {"one row",
       [](auto& p) { tab(p).rows.resize(1); },
       part::layer,
       2,
       {},
       field::table,
       "must hold at least two rows"},
      {"strain 0", [](auto& p) { tab(p).rows[0].strain_pct = 0.0; }, part::layer, 2, 0,
       field::table_strain, "must be positive"},
      {"not increasing", [](auto& p) { tab(p).rows[2].strain_pct = 0.01; }, part::layer, 2, 2,
       field::table_strain, "must increase from the row above"},
      {"G/G0 0", [](auto& p) { tab(p).rows[1].g_ratio = 0.0; }, part::layer, 2, 1,
       field::table_g_ratio, "must be in (0, 1]"},
      {"G/G0 1.01", [](auto& p) { tab(p).rows[0].g_ratio = 1.01; }, part::layer, 2, 0,
       field::table_g_ratio, "must be in (0, 1]"},
      {"damping 1", [](auto& p) { tab(p).rows[2].damping = 1.0; }, part::layer, 2, 2,
       field::table_damping, "must be in [0, 1)"},
      {"damping < 0",
       [](auto& p) { p.layers[3].curve = site::constant_damping{-0.1}; },
       part::layer,
       3,
       {},
       field::damping,
       "must be in [0, 1)"},
      {"dormieux",
       [](auto& p) {
         p.form = site::modulus_form::dormieux;
         p.layers[3].curve = site::constant_damping{0.6};
       },
       part::layer,
       3,
       {},
       field::damping,
       "must not exceed 0.5 with the dormieux modulus"},
      {"rock vs",
       [](auto& p) { p.bedrock.vs = 0.0; },
       part::bedrock,
       0,
       {},
       field::vs,
       "must be positive"},
      {"rock weight",
       [](auto& p) { p.bedrock.unit_weight = -1.0; },
       part::bedrock,
       0,
       {},
       field::unit_weight,
       "must be positive"},
      {"rock damping",
       [](auto& p) { p.bedrock.damping = 1.5; },
       part::bedrock,
       0,
       {},
       field::damping,
       "must be in [0, 1)"},
  };
  EXPECT_FALSE(site::check_profile(good()));
  for (const auto& row : rows) {
    site::site_profile p = good();
    row.spoil(p);
    const auto fault = site::check_profile(p);
    ASSERT_TRUE(fault) << row.what;
    EXPECT_EQ(fault->where, row.where) << row.what;
    EXPECT_EQ(fault->layer, row.layer) << row.what;
    EXPECT_EQ(fault->row, row.row) << row.what;
    EXPECT_EQ(fault->field, row.key) << row.what;
    EXPECT_EQ(fault->reason, row.reason) << row.what;
  }
  // A dormieux profile may still hold damping up to 0.5.
  site::site_profile p = good();
  p.form = site::modulus_form::dormieux;
  p.layers[3].curve = site::constant_damping{0.5};
  EXPECT_FALSE(site::check_profile(p));
}

TEST(site_profile, field_names_as_a_profile_spells_them) {
  EXPECT_EQ(site::field_name(field::strain_ratio), "strain_ratio");
  EXPECT_EQ(site::field_name(field::gamma_ref), "gamma_ref");
  EXPECT_EQ(site::field_name(field::unit_weight), "unit_weight");
  EXPECT_EQ(site::field_name(field::mean_stress), "mean_stress");
  EXPECT_EQ(site::field_name(field::cycles), "cycles");
  EXPECT_EQ(site::field_name(field::table_g_ratio), "g_ratio");
  EXPECT_EQ(site::field_name(field::table_damping), "damping");
}

}  // namespace
