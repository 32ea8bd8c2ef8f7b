#include "site/curves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace site {
namespace {

// One atmosphere (kPa): Darendeli's stresses are in atmospheres.
constexpr double atmosphere_kpa = 101.325;
// The curvature of Darendeli's modified hyperbola.
constexpr double darendeli_curvature = 0.9190;

curve_value hardin_drnevich_at(const hardin_drnevich& soil, double strain_pct) {
  const double g_ratio = 1.0 / (1.0 + strain_pct / soil.gamma_ref_pct);
  return {g_ratio, soil.h_max * (1.0 - g_ratio) + soil.h_min, false};
}

// The Masing damping of the exponent-1 hyperbola brought to the curvature a by Darendeli's cubic.
double masing_damping_corrected(double masing_pct) {
  const double a = darendeli_curvature;
  const double c1 = -1.1143 * a * a + 1.8618 * a + 0.2523;
  const double c2 = 0.0805 * a * a - 0.0710 * a - 0.0095;
  const double c3 = -0.0005 * a * a + 0.0002 * a + 0.0003;
  return c1 * masing_pct + c2 * masing_pct * masing_pct + c3 * masing_pct * masing_pct * masing_pct;
}

curve_value darendeli_at(const darendeli& soil, double strain_pct, double mean_stress_kpa) {
  const double reference = darendeli_reference_strain(soil, mean_stress_kpa);
  const double g_ratio = 1.0 / (1.0 + std::pow(strain_pct / reference, darendeli_curvature));
  const double scaling = 0.6329 - 0.00566 * std::log(soil.cycles);
  const double masing = masing_damping_corrected(masing_damping_hyperbolic(strain_pct, reference));
  const double damping_pct =
      scaling * std::pow(g_ratio, 0.1) * masing + darendeli_minimum_damping(soil, mean_stress_kpa);
  return {g_ratio, damping_pct / 100.0, false};
}

curve_value table_at(const strain_table& table, double strain_pct) {
  const auto& rows = table.rows;
  if (strain_pct <= rows.front().strain_pct) {
    return {rows.front().g_ratio, rows.front().damping, strain_pct < rows.front().strain_pct};
  }
  if (strain_pct >= rows.back().strain_pct) {
    return {rows.back().g_ratio, rows.back().damping, strain_pct > rows.back().strain_pct};
  }
  const auto upper =
      std::upper_bound(rows.begin(), rows.end(), strain_pct,
                       [](double strain, const curve_row& row) { return strain < row.strain_pct; });
  const curve_row& hi = *upper;
  const curve_row& lo = *(upper - 1);
  const double t = std::log(strain_pct / lo.strain_pct) / std::log(hi.strain_pct / lo.strain_pct);
  return {lo.g_ratio + t * (hi.g_ratio - lo.g_ratio), lo.damping + t * (hi.damping - lo.damping),
          false};
}

}  // namespace

double darendeli_reference_strain(const darendeli& soil, double mean_stress_kpa) {
  const double stress_atm = soil.mean_stress_kpa.value_or(mean_stress_kpa) / atmosphere_kpa;
  return (0.0352 + 0.0010 * soil.plasticity * std::pow(soil.ocr, 0.3246)) *
         std::pow(stress_atm, 0.3483);
}

double darendeli_minimum_damping(const darendeli& soil, double mean_stress_kpa) {
  const double stress_atm = soil.mean_stress_kpa.value_or(mean_stress_kpa) / atmosphere_kpa;
  return (0.8005 + 0.0129 * soil.plasticity * std::pow(soil.ocr, -0.1069)) *
         std::pow(stress_atm, -0.2889) * (1.0 + 0.2919 * std::log(soil.frequency));
}

double masing_damping_hyperbolic(double strain_pct, double reference_pct) {
  const double x = strain_pct / reference_pct;
  double bracket = 0.0;
  if (x < 0.1) {
    // The closed form loses its digits to cancellation as x -> 0; its series,
    // 4 sum_{n>=1} (-1)^(n+1) x^n / ((n+1)(n+2)), to x^16 is exact in double here.
    double power = 1.0;
    for (int n = 1; n <= 16; ++n) {
      power *= x;
      const double term = power / static_cast<double>((n + 1) * (n + 2));
      bracket += (n % 2 == 1 ? 4.0 : -4.0) * term;
    }
  } else {
    bracket = 4.0 * (1.0 + x) * (x - std::log1p(x)) / (x * x) - 2.0;
  }
  return 100.0 / std::numbers::pi * bracket;
}

curve_value curve_at(const soil_curve& curve, double strain_pct, double mean_stress_kpa) {
  struct visitor {
    double strain, stress;
    curve_value operator()(const hardin_drnevich& c) const { return hardin_drnevich_at(c, strain); }
    curve_value operator()(const darendeli& c) const { return darendeli_at(c, strain, stress); }
    curve_value operator()(const strain_table& c) const { return table_at(c, strain); }
    curve_value operator()(const constant_damping& c) const { return {1.0, c.damping, false}; }
  };
  return std::visit(visitor{strain_pct, mean_stress_kpa}, curve);
}

}  // namespace site
