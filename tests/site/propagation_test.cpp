// Vertically propagating shear waves held to the closed forms of a uniform layer: on an elastic
// half-space, on a rigid base, inside the layer, at resonance and as the half-space stiffens.
#include "site/propagation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <utility>
#include <vector>

namespace {

using site::cplx;
using site::layer_waves;
using site::modulus_form;
using site::motion_kind;
using site::wave_column;
using site::wave_layer;

constexpr double pi = std::numbers::pi;

// G*/G written out from each form's published expression.
cplx complex_modulus_by_hand(modulus_form form, double h) {
  switch (form) {
    case modulus_form::simple:
      return {1.0, 2.0 * h};
    case modulus_form::shake91:
      return {1.0 - 2.0 * h * h, 2.0 * h * std::sqrt(1.0 - h * h)};
    case modulus_form::kramer:
      return {1.0 - h * h, 2.0 * h};
    case modulus_form::dormieux:
      return {std::sqrt(1.0 - 4.0 * h * h), 2.0 * h};
  }
  return {};
}

// A soil (t/m3, m/s, damping) as a wave layer of the given thickness.
wave_layer soil(double thickness, double density, double vs, double damping,
                modulus_form form = modulus_form::shake91) {
  return {thickness, density, density * vs * vs * complex_modulus_by_hand(form, damping)};
}

struct column_waves {
  wave_column column;
  std::vector<layer_waves> waves;
};

column_waves solve(const std::vector<wave_layer>& layers, double omega) {
  column_waves c{wave_column(layers), std::vector<layer_waves>(layers.size())};
  c.column.amplitudes(omega, c.waves);
  return c;
}

// Surface over the outcrop motion at the top of the half-space (the last layer).
cplx surface_over_base_outcrop(const std::vector<wave_layer>& layers, double omega) {
  const column_waves c = solve(layers, omega);
  const std::size_t rock = layers.size() - 1;
  const cplx surface = c.column.displacement(0, c.waves[0], omega, 0.0, motion_kind::within);
  return surface / c.column.displacement(rock, c.waves[rock], omega, 0.0, motion_kind::outcrop);
}

double relative(cplx got, cplx want) {
  return std::abs(got - want) / std::abs(want);
}

TEST(complex_modulus, the_four_forms_at_twenty_percent_damping) {
  // h = 0.2: 1 + 0.4i; 1 - 0.08 + 0.4 sqrt(0.96) i; 1 - 0.04 + 0.4i; sqrt(0.84) + 0.4i.
  const struct {
    modulus_form form;
    cplx want;
  } rows[] = {
      {modulus_form::simple, {1.0, 0.4}},
      {modulus_form::shake91, {0.92, 0.39191835884530846}},
      {modulus_form::kramer, {0.96, 0.4}},
      {modulus_form::dormieux, {0.91651513899116802, 0.4}},
  };
  for (const auto& row : rows) {
    const cplx got = site::modulus_factor(row.form, 0.2);
    EXPECT_NEAR(got.real(), row.want.real(), 1e-15);
    EXPECT_NEAR(got.imag(), row.want.imag(), 1e-15);
  }
  // shake91 is (sqrt(1 - h^2) + ih)^2: its wave speed |v*| is that of the elastic soil.
  EXPECT_NEAR(std::abs(std::sqrt(site::modulus_factor(modulus_form::shake91, 0.2))), 1.0, 1e-15);
}

// H(omega) = 1 / (cos k*H + i alpha* sin k*H), k* = omega sqrt(rho / G*),
// alpha* = sqrt(rho G*) / sqrt(rho_r G*_r).
TEST(one_layer, surface_over_base_outcrop_on_an_elastic_half_space) {
  const double thickness = 12.0;
  for (modulus_form form : {modulus_form::simple, modulus_form::shake91, modulus_form::kramer,
                            modulus_form::dormieux}) {
    for (double damping : {0.0, 0.05, 0.2}) {
      const wave_layer layer = soil(thickness, 1.8, 180.0, damping, form);
      const wave_layer rock = soil(0.0, 2.1, 600.0, 0.02, form);
      for (double f : {0.3, 3.75, 11.0, 24.0}) {
        const double omega = 2.0 * pi * f;
        const cplx k = omega * std::sqrt(layer.density / layer.modulus);
        const cplx alpha =
            std::sqrt(layer.density * layer.modulus) / std::sqrt(rock.density * rock.modulus);
        const cplx want =
            1.0 / (std::cos(k * thickness) + cplx(0.0, 1.0) * alpha * std::sin(k * thickness));
        EXPECT_LT(relative(surface_over_base_outcrop({layer, rock}, omega), want), 1e-13)
            << "f = " << f << ", h = " << damping;
      }
    }
  }
}

// With the base motion given (within), the layer is on a rigid base whatever lies below:
// surface / base = 1 / cos k*H, and at depth z the motion is cos k*z times the surface's.
TEST(one_layer, within_base_input_and_the_motion_inside_the_layer) {
  const double thickness = 10.0;
  const wave_layer layer = soil(thickness, 1.7, 150.0, 0.08);
  const wave_layer rock = soil(0.0, 2.0, 500.0, 0.0);
  for (double f : {0.5, 3.0, 7.7, 20.0}) {
    const double omega = 2.0 * pi * f;
    const column_waves c = solve({layer, rock}, omega);
    const cplx k = omega * std::sqrt(layer.density / layer.modulus);
    const cplx surface = c.column.displacement(0, c.waves[0], omega, 0.0, motion_kind::within);
    const cplx base_from_rock =
        c.column.displacement(1, c.waves[1], omega, 0.0, motion_kind::within);
    const cplx base_from_layer =
        c.column.displacement(0, c.waves[0], omega, thickness, motion_kind::within);
    EXPECT_LT(relative(surface / base_from_rock, 1.0 / std::cos(k * thickness)), 1e-13);
    EXPECT_LT(relative(base_from_layer, base_from_rock), 1e-13);
    for (double z : {0.0, 2.5, 6.0, 9.9}) {
      const cplx inside = c.column.displacement(0, c.waves[0], omega, z, motion_kind::within);
      EXPECT_LT(std::abs(inside / surface - std::cos(k * z)), 1e-13) << "z = " << z;
      // Strain is du/dz of u = cos(k z) times the surface's: -k sin(k z).
      const cplx strain = c.column.strain(0, c.waves[0], omega, z);
      EXPECT_LT(std::abs(strain / surface + k * std::sin(k * z)), 1e-13 * std::abs(k))
          << "z = " << z;
    }
  }
}

TEST(one_layer, dividing_it_into_sublayers_changes_nothing) {
  const wave_layer whole = soil(10.0, 1.8, 200.0, 0.1);
  const wave_layer rock = soil(0.0, 2.1, 700.0, 0.01);
  std::vector<wave_layer> divided;
  for (double part : {1.0, 2.5, 6.5}) divided.push_back(soil(part, 1.8, 200.0, 0.1));
  divided.push_back(rock);
  for (double f : {0.2, 4.0, 13.0, 25.0}) {
    const double omega = 2.0 * pi * f;
    EXPECT_LT(relative(surface_over_base_outcrop(divided, omega),
                       surface_over_base_outcrop({whole, rock}, omega)),
              1e-13)
        << "f = " << f;
  }
}

// H - H_rigid = H H_rigid (-i alpha* sin k*H): of the order of alpha*, and to nothing with it.
TEST(one_layer, a_stiffening_half_space_tends_to_the_rigid_base) {
  const double thickness = 8.0;
  const wave_layer layer = soil(thickness, 1.8, 160.0, 0.05);
  const double omega = 2.0 * pi * 2.3;
  const cplx k = omega * std::sqrt(layer.density / layer.modulus);
  const cplx rigid = 1.0 / std::cos(k * thickness);
  double previous = 1e300;
  for (double rock_vs : {1e3, 1e4, 1e5, 1e6, 1e7}) {
    const wave_layer rock = soil(0.0, 2.2, rock_vs, 0.0);
    const double alpha =
        std::abs(std::sqrt(layer.density * layer.modulus) / std::sqrt(rock.density * rock.modulus));
    const cplx got = surface_over_base_outcrop({layer, rock}, omega);
    const double gap = std::abs(got - rigid);
    EXPECT_LT(gap, 1.01 * alpha * std::abs(std::sin(k * thickness) * got * rigid)) << rock_vs;
    EXPECT_LT(gap, previous / 5.0);
    previous = gap;
  }
  EXPECT_LT(previous, 1e-4);  // alpha* is 1.3e-5 at 1e7 m/s
}

// Undamped: |H| peaks at omega_n = (2n - 1) pi Vs / (2H) (T1 = 4H/Vs, then T1/3) with 1/alpha.
TEST(one_layer, undamped_resonances_at_four_h_over_vs_and_a_third_of_it) {
  const double thickness = 20.0, vs = 200.0;
  const wave_layer layer = soil(thickness, 1.8, vs, 0.0);
  const wave_layer rock = soil(0.0, 2.0, 800.0, 0.0);
  const double alpha = (1.8 * vs) / (2.0 * 800.0);
  const double t1 = 4.0 * thickness / vs;
  for (double period : {t1, t1 / 3.0}) {
    const double omega = 2.0 * pi / period;
    const double peak = std::abs(surface_over_base_outcrop({layer, rock}, omega));
    EXPECT_NEAR(peak, 1.0 / alpha, 1e-11 / alpha) << "T = " << period;
    for (double off : {0.99, 1.01}) {
      EXPECT_LT(std::abs(surface_over_base_outcrop({layer, rock}, off * omega)), peak);
    }
  }
}

// Without damping in the soil nothing is lost: the half-space returns as much as reaches it.
TEST(layered_column, undamped_half_space_down_going_amplitude_matches_up_going) {
  const std::vector<wave_layer> layers{soil(3.0, 1.6, 120.0, 0.0), soil(7.0, 1.8, 210.0, 0.0),
                                       soil(11.0, 1.9, 330.0, 0.0), soil(0.0, 2.1, 700.0, 0.0)};
  for (double f : {0.1, 1.7, 6.3, 18.0}) {
    const column_waves c = solve(layers, 2.0 * pi * f);
    const layer_waves& rock = c.waves.back();
    EXPECT_NEAR(std::abs(rock.down), std::abs(rock.up), 1e-12 * std::abs(rock.up)) << "f = " << f;
  }
  // The check can fail: a damped layer takes energy out of the down-going wave.
  std::vector<wave_layer> damped = layers;
  damped[1] = soil(7.0, 1.8, 210.0, 0.05);
  const column_waves c = solve(damped, 2.0 * pi * 6.3);
  EXPECT_LT(std::abs(c.waves.back().down), 0.99 * std::abs(c.waves.back().up));
}

}  // namespace

// The phases a pass walks bin by bin agree with the exponential taken afresh at every bin, to
// 1e-12 relative over the whole band of a 16384-point transform, for slownesses from an elastic
// soft soil to a 40 % damped one and depths from a few centimetres to a thick sublayer.
TEST(phase_walk, products_from_bin_to_bin_stay_with_the_exponential) {
  const double d_omega = 2.0 * pi / (16384 * 0.005);
  site::phase_walk walk(d_omega);
  std::vector<std::pair<double, cplx>> depths;
  for (double vs : {60.0, 150.0, 700.0}) {
    for (double damping : {0.0, 0.05, 0.4}) {
      const cplx slowness =
          1.0 / (vs * std::sqrt(complex_modulus_by_hand(modulus_form::simple, damping)));
      for (double z : {0.03, 0.9, 4.0}) {
        walk.add(z, slowness);
        depths.emplace_back(z, slowness);
      }
    }
  }
  double worst = 0.0;
  for (std::size_t j = 0; j <= 8192; ++j) {
    const double omega = d_omega * static_cast<double>(j);
    walk.move_to(j, omega);
    for (std::size_t q = 0; q < depths.size(); ++q) {
      const cplx direct = std::exp(cplx(0.0, omega * depths[q].first) * depths[q].second);
      worst = std::max(worst, relative(walk.values()[q], direct));
    }
  }
  EXPECT_LT(worst, 1e-12);
}
