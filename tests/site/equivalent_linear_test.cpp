// The equivalent-linear analysis on the Corralitos record through three columns (Hardin-Drnevich,
// Darendeli with its mean stress from the unit weights and a water table, tables), each held to
// the consistency rule; where the wave goes in and out; and the ways an analysis stops.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "site/analysis.h"
#include "site_checks.h"

namespace {

using site::constant_damping;
using site::darendeli;
using site::hardin_drnevich;
using site::strain_table;

std::vector<double> corralitos(double& dt) {
  return site_test::read_peer_record(GM_SHARED_RECORDS "/RSN753_LOMAP_CLS000.AT2", dt);
}

site::site_profile hardin_drnevich_column() {
  site::site_profile p;
  p.layers = {{"fill", 4.0, 120.0, 16.0, hardin_drnevich{0.18, 0.17, 0.0}},
              {"clay", 8.0, 160.0, 17.0, hardin_drnevich{0.1, 0.2, 0.01}},
              {"sand", 10.0, 250.0, 18.0, hardin_drnevich{0.08, 0.18, 0.005}}};
  p.bedrock = {400.0, 19.0, 0.01};
  return p;
}

site::site_profile darendeli_column() {
  site::site_profile p;
  p.water_table = 2.0;
  darendeli sand;
  darendeli clay;
  clay.plasticity = 30.0;
  clay.ocr = 2.0;
  p.layers = {{"sand", 6.0, 150.0, 18.0, sand},
              {"clay", 12.0, 200.0, 17.0, clay},
              {"dense sand", 10.0, 300.0, 19.0, sand}};
  p.bedrock = {500.0, 20.0, 0.01};
  return p;
}

site::site_profile table_column() {
  const strain_table sand{{{0.0001, 1.0, 0.005},
                           {0.001, 0.97, 0.01},
                           {0.01, 0.8, 0.04},
                           {0.1, 0.4, 0.12},
                           {1.0, 0.1, 0.2}}};
  const strain_table clay{
      {{0.0001, 1.0, 0.02}, {0.01, 0.9, 0.04}, {0.1, 0.6, 0.09}, {1.0, 0.25, 0.15}}};
  site::site_profile p;
  p.form = site::modulus_form::simple;
  p.layers = {{"sand", 5.0, 140.0, 17.5, sand},
              {"clay", 9.0, 180.0, 16.5, clay},
              {"gravel", 6.0, 380.0, 20.0, constant_damping{0.02}}};
  p.bedrock = {600.0, 21.0, 0.02};
  return p;
}

TEST(equivalent_linear, three_columns_on_a_real_record_keep_the_consistency_rule) {
  double dt = 0.0;
  const std::vector<double> record = corralitos(dt);
  for (const site::site_profile& p :
       {hardin_drnevich_column(), darendeli_column(), table_column()}) {
    const site::site_response r = site::analyse_site(p, site_test::bedrock_outcrop(record, dt));
    ASSERT_FALSE(r.failure) << p.layers[0].name << ": " << r.failure->reason;
    EXPECT_TRUE(r.converged) << p.layers[0].name;
    EXPECT_GT(r.passes.size(), 2u);
    site_test::expect_consistent(p, r);
    // The soil softened and took up damping from its small-strain state, and the column's
    // first peak moved down in frequency.
    for (const site::sublayer_result& s : r.sublayers) {
      if (s.layer == 2 && p.layers[2].name == "gravel") continue;  // a linear layer
      EXPECT_LT(s.g_ratio, 1.0);
      EXPECT_LT(s.vs, s.vs_initial);
      EXPECT_GT(s.stress_ratio, 0.0);
    }
    auto first_peak = [](const site::transfer_function& t) {
      std::size_t j = 1;
      while (j + 1 < t.amplitude.size() && t.amplitude[j + 1] >= t.amplitude[j]) ++j;
      return t.frequency[j];
    };
    EXPECT_LT(first_peak(r.compatible), first_peak(r.initial));
    EXPECT_EQ(r.acc.size(), record.size());
  }
}

// The linear method keeps the small-strain soil: G/G0 = 1 and Hardin-Drnevich's h_min.
TEST(equivalent_linear, linear_method_keeps_the_small_strain_properties) {
  double dt = 0.0;
  const std::vector<double> record = corralitos(dt);
  site::site_profile p = hardin_drnevich_column();
  p.method = site::site_method::linear;
  const site::site_response r = site::analyse_site(p, site_test::bedrock_outcrop(record, dt));
  ASSERT_FALSE(r.failure);
  EXPECT_TRUE(r.converged);
  ASSERT_EQ(r.passes.size(), 1u);
  EXPECT_EQ(r.passes[0].error, 0.0);
  const double h_min[] = {0.0, 0.01, 0.005};
  for (const site::sublayer_result& s : r.sublayers) {
    EXPECT_EQ(s.g_ratio, 1.0);
    EXPECT_EQ(s.vs, s.vs_initial);
    EXPECT_EQ(s.damping, h_min[s.layer]);
    EXPECT_GT(s.strain_max_pct, 0.0);
  }
}

TEST(equivalent_linear, not_converged_within_the_passes_allowed) {
  double dt = 0.0;
  const std::vector<double> record = corralitos(dt);
  site::site_profile p = hardin_drnevich_column();
  p.max_iterations = 2;
  const site::site_response r = site::analyse_site(p, site_test::bedrock_outcrop(record, dt));
  ASSERT_FALSE(r.failure);
  EXPECT_FALSE(r.converged);
  ASSERT_EQ(r.passes.size(), 2u);
  EXPECT_GE(r.passes.back().error, p.tolerance);
  EXPECT_LT(r.passes.back().sublayer, r.sublayers.size());
  site_test::expect_consistent(p, r);
}

TEST(equivalent_linear, stops_at_a_strain_beyond_ten_percent_or_an_undefined_modulus) {
  double dt = 0.0;
  std::vector<double> record = corralitos(dt);
  for (double& a : record) a *= 4.0;
  site::site_profile p;
  p.layers = {{"stiff", 4.0, 300.0, 18.0, hardin_drnevich{0.1, 0.2, 0.01}},
              {"peat", 6.0, 40.0, 11.0, hardin_drnevich{0.05, 0.25, 0.01}}};
  p.bedrock = {600.0, 20.0, 0.01};
  const site::site_response r = site::analyse_site(p, site_test::bedrock_outcrop(record, dt));
  ASSERT_TRUE(r.failure);
  EXPECT_EQ(r.failure->reason,
            "peak strain beyond what equivalent-linear properties can stand for");
  EXPECT_GT(r.failure->value, site::strain_limit_pct);
  EXPECT_EQ(site::strain_limit_pct, 10.0);
  EXPECT_EQ(site::divide_column(p)[r.failure->sublayer].layer, 1u);
  EXPECT_EQ(r.failure->layer, 1u);

  // Dormieux's modulus has no real part past 50 % damping.
  site::site_profile q;
  q.form = site::modulus_form::dormieux;
  q.layers = {{"soft", 10.0, 100.0, 16.0, hardin_drnevich{0.01, 0.8, 0.1}}};
  q.bedrock = {500.0, 20.0, 0.01};
  const site::site_response d = site::analyse_site(q, site_test::bedrock_outcrop(record, dt));
  ASSERT_TRUE(d.failure);
  EXPECT_GT(d.failure->value, 0.5);
  EXPECT_NE(d.failure->reason.find("dormieux"), std::string::npos);
}

// Where the wave goes in and out: the outcrop motion at the bedrock's top is the input itself;
// the within motion found at 12 m, given back as a borehole record at 12 m, gives the surface
// again (up to what rings past the record's end, cut off when it was written).
TEST(equivalent_linear, input_and_output_at_depth) {
  double dt = 0.0;
  const std::vector<double> record = corralitos(dt);
  site::site_profile p = table_column();
  p.method = site::site_method::linear;
  site::site_motion at_rock = site_test::bedrock_outcrop(record, dt);
  at_rock.output_depth = 20.0;
  at_rock.output_kind = site::motion_kind::outcrop;
  const site::site_response same = site::analyse_site(p, at_rock);
  for (std::size_t t = 0; t < record.size(); ++t) ASSERT_NEAR(same.acc[t], record[t], 1e-9);

  const site::site_response surface = site::analyse_site(p, site_test::bedrock_outcrop(record, dt));
  site::site_motion down = site_test::bedrock_outcrop(record, dt);
  down.output_depth = 12.0;
  const site::site_response borehole = site::analyse_site(p, down);
  site::site_motion up = site_test::bedrock_outcrop(borehole.acc, dt);
  up.input_kind = site::motion_kind::within;
  up.input_depth = 12.0;
  const site::site_response again = site::analyse_site(p, up);
  double worst = 0.0, pga = 0.0, apart = 0.0;
  for (std::size_t t = 0; t < record.size(); ++t) {
    worst = std::max(worst, std::abs(again.acc[t] - surface.acc[t]));
    pga = std::max(pga, std::abs(surface.acc[t]));
    apart = std::max(apart, std::abs(borehole.acc[t] - surface.acc[t]));
  }
  EXPECT_LT(worst, 1e-3 * pga);
  EXPECT_GT(apart, 0.1 * pga);  // the borehole's motion is not the surface's
}

}  // namespace
