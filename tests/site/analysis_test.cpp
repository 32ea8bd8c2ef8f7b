// The analysis as a whole: its padding and sublayers, its transfer function against the closed
// form, and the equivalent-linear iteration against a column whose every pass is known by hand.
#include "site/analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "site/column.h"
#include "site_checks.h"

namespace {

constexpr double pi = std::numbers::pi;

TEST(site_analysis, padding_is_a_power_of_two_at_least_twice_the_wave) {
  const struct {
    std::size_t samples, want;
  } rows[] = {{1, 2}, {2, 4}, {3, 8}, {4096, 8192}, {4097, 16384}, {7995, 16384}, {8192, 16384}};
  for (const auto& row : rows) EXPECT_EQ(site::padded_length(row.samples), row.want) << row.samples;
}

TEST(site_analysis, sublayers_thinner_than_a_fifth_of_the_shortest_wavelength) {
  // vs / (5 f_max): 200 / 125 = 1.6 m; 250 / 125 = 2 m.
  const struct {
    double thickness, vs, f_max;
    std::size_t want;
  } rows[] = {
      {10.0, 200.0, 25.0, 7},  // 10 / 1.6 = 6.25
      {4.0, 250.0, 25.0, 3},   // exactly 2 x 2 m: strictly thinner takes 3
      {1.0, 250.0, 25.0, 1},
      {10.0, 200.0, 3.0, 1},   // 13.3 m
      {30.0, 100.0, 50.0, 76}  // 0.4 m: 75 exactly, so 76
  };
  for (const auto& row : rows) {
    EXPECT_EQ(site::sublayer_count(row.thickness, row.vs, row.f_max), row.want) << row.thickness;
  }
  site::site_profile p;
  p.layers = {{"a", 4.0, 250.0, 18.0, site::constant_damping{}},
              {"b", 3.0, 400.0, 19.0, site::constant_damping{}}};
  const auto parts = site::divide_column(p);
  ASSERT_EQ(parts.size(), 4u);  // 3 of 4/3 m (2 m thinnest), then 1 of 3 m (3.2 m thinnest)
  EXPECT_EQ(parts[2].layer, 0u);
  EXPECT_DOUBLE_EQ(parts[2].bottom, 4.0);
  EXPECT_EQ(parts[3].layer, 1u);
  EXPECT_DOUBLE_EQ(parts[3].top, 4.0);
  EXPECT_DOUBLE_EQ(parts[3].bottom, 7.0);
  EXPECT_DOUBLE_EQ(parts[1].top, 4.0 / 3.0);
}

// The transfer functions reported by a linear analysis are the closed form of a damped layer on
// an elastic half-space, at every bin of the padded transform. The mud's amplitudes grow by
// exp(|Im k| H), past e^709 above 36 Hz: the closed form's cos and sin overflow there and give 0.
TEST(site_analysis, linear_transfer_function_is_the_closed_form) {
  const struct {
    double thickness, vs, damping;
  } columns[] = {{15.0, 180.0, 0.05}, {30.0, 3.0, 0.3}};
  for (const auto& column : columns) {
    site::site_profile p;
    p.method = site::site_method::linear;
    p.form = site::modulus_form::kramer;
    p.layers = {
        {"clay", column.thickness, column.vs, 17.0, site::constant_damping{column.damping}}};
    p.bedrock = {600.0, 20.0, 0.02};
    std::vector<double> acc(1000, 0.0);
    acc[10] = 100.0;
    const site::site_response r = site::analyse_site(p, site_test::bedrock_outcrop(acc, 0.01));
    ASSERT_FALSE(r.failure) << column.vs << " m/s: " << r.failure->reason;
    EXPECT_TRUE(r.converged);
    ASSERT_EQ(r.passes.size(), 1u);
    ASSERT_EQ(r.initial.frequency.size(), 1025u);  // 2048 / 2 + 1
    const double g = 9.80665;
    const double rho = 17.0 / g, rho_r = 20.0 / g;
    const double h = column.damping;
    const std::complex<double> g_soil =
        rho * column.vs * column.vs * std::complex<double>(1 - h * h, 2 * h);
    const std::complex<double> g_rock =
        rho_r * 600.0 * 600.0 * std::complex<double>(1 - 0.0004, 0.04);
    for (std::size_t j = 0; j < r.initial.frequency.size(); ++j) {
      const double f = static_cast<double>(j) / (2048 * 0.01);
      ASSERT_DOUBLE_EQ(r.initial.frequency[j], f);
      const std::complex<double> k = 2 * pi * f * std::sqrt(rho / g_soil);
      const std::complex<double> alpha = std::sqrt(rho * g_soil) / std::sqrt(rho_r * g_rock);
      const std::complex<double> kh = k * column.thickness;
      const double want =
          1.0 / std::abs(std::cos(kh) + std::complex<double>(0, 1) * alpha * std::sin(kh));
      // A rounding of the phase k H carries to the amplitude times |k H|; below 1e-300 the
      // closed form's denormals and a 0 are the same nothing.
      EXPECT_NEAR(r.initial.amplitude[j], want, 1e-12 * want * std::max(1.0, std::abs(kh)) + 1e-300)
          << "f = " << f;
      EXPECT_EQ(r.compatible.amplitude[j], r.initial.amplitude[j]);
    }
  }
}

// A Ricker pulse far slower than the column (0.05 Hz against 5 Hz) strains it quasi-statically:
// on a base moving with a(t), u(z) = u_b cos(kz)/cos(kH) gives at z = H/2
//   strain = (z/Vs^2) [a - (11/24)(H/Vs)^2 a''] + O((kH)^4),
// and at the pulse's peak a'' = -6 (pi f)^2 A, so peak strain = (z A/Vs^2)(1 + 11/4 (pi f H/Vs)^2).
// Without damping (h_max = h_min = 0) every pass stays elastic with Vs^2 = G/G0 Vs0^2, so the
// Hardin-Drnevich iteration is the scalar recursion below, done here by hand.
TEST(site_analysis, equivalent_linear_passes_of_one_layer_by_hand) {
  const double thickness = 10.0, vs0 = 200.0, gamma_ref = 0.02, ratio = 0.65;
  const double amplitude = 50.0, f_peak = 0.05, dt = 0.02;
  site::site_profile p;
  p.strain_ratio = ratio;
  p.tolerance = 1e-4;
  p.max_frequency = 3.0;  // one sublayer: 200 / 15 = 13.3 m
  p.layers = {{"fill", thickness, vs0, 18.0, site::hardin_drnevich{gamma_ref, 0.0, 0.0}}};
  p.bedrock = {800.0, 20.0, 0.0};
  std::vector<double> acc(4096);
  for (std::size_t i = 0; i < acc.size(); ++i) {
    const double x = std::pow(pi * f_peak * (static_cast<double>(i) - 2048.0) * dt, 2);
    acc[i] = amplitude * (1.0 - 2.0 * x) * std::exp(-x);
  }
  site::site_motion motion = site_test::bedrock_outcrop(acc, dt);
  motion.input_kind = site::motion_kind::within;
  motion.input_depth = thickness;
  const site::site_response r = site::analyse_site(p, motion);

  // Pass 1 by hand: c = 5 m x 0.5 m/s^2 / 200^2 = 6.25e-5 = 0.00625 %, times
  // 1 + 2.75 (pi 0.05 x 10 / 200)^2 = 1 + 1.696e-4; effective 0.65 x that = 0.0040632 %;
  // G/G0 = 1 / (1 + 0.0040632 / 0.02) = 0.83114; error |0.83114 - 1| / 0.83114 = 0.2032.
  auto peak_strain = [&](double g_ratio) {
    const double vs2 = g_ratio * vs0 * vs0;
    const double s = pi * f_peak * thickness;
    return 100.0 * (thickness / 2.0) * (amplitude / 100.0) / vs2 * (1.0 + 2.75 * s * s / vs2);
  };
  double used = 1.0, strain = 0.0;
  std::vector<double> errors;
  for (int pass = 1; pass <= 30; ++pass) {
    strain = peak_strain(used);
    const double next = 1.0 / (1.0 + ratio * strain / gamma_ref);
    errors.push_back(std::abs(next - used) / next);
    if (errors.back() < p.tolerance) break;
    used = next;
  }
  EXPECT_NEAR(errors[0], 0.2032, 1e-4);
  ASSERT_FALSE(r.failure) << r.failure->reason;
  EXPECT_TRUE(r.converged);
  ASSERT_EQ(r.passes.size(), errors.size());
  for (std::size_t k = 0; k < errors.size(); ++k) {
    EXPECT_NEAR(r.passes[k].error, errors[k], 1e-6 * errors[0]) << "pass " << k + 1;
  }
  ASSERT_EQ(r.sublayers.size(), 1u);
  EXPECT_NEAR(r.sublayers[0].strain_max_pct, strain, 1e-7 * strain);
  EXPECT_NEAR(r.sublayers[0].g_ratio, used, 1e-7);
  EXPECT_NEAR(r.sublayers[0].vs, vs0 * std::sqrt(used), 1e-5);
  EXPECT_EQ(r.sublayers[0].damping, 0.0);
  // The stress that strains it: the soil above accelerating with the base, rho z A.
  EXPECT_NEAR(r.sublayers[0].stress_max_kpa, 18.0 / 9.80665 * 5.0 * 0.5, 1e-3);
  site_test::expect_consistent(p, r);
}

}  // namespace
