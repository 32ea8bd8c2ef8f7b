// How a soil's shear modulus falls and its damping grows with the cyclic shear strain it goes
// through: the curves an equivalent-linear analysis reads its strain-compatible properties from.
// Every strain is in percent; G/G0 is a ratio in (0, 1] and damping a fraction of critical.
#pragma once

#include <optional>
#include <variant>
#include <vector>

namespace site {

// G/G0 = 1 / (1 + g/g_ref), h = h_max (1 - G/G0) + h_min.
struct hardin_drnevich {
  double gamma_ref_pct = 0.0;
  double h_max = 0.0;
  double h_min = 0.0;
};

// Darendeli (2001): the modified hyperbola with curvature 0.919 and its Masing damping, scaled,
// from the plasticity index, overconsolidation, mean effective stress, loading frequency and
// number of cycles.
struct darendeli {
  double plasticity = 0.0;                // PI (%)
  double ocr = 1.0;                       // overconsolidation ratio
  std::optional<double> mean_stress_kpa;  // sigma'_m; none: from the unit weights at mid-layer
  double k0 = 0.5;                        // lateral earth pressure at rest, for that
  double frequency = 1.0;                 // Hz
  double cycles = 10.0;
};

// Measured points, strain increasing; between them linear in log strain, beyond them the end
// values.
struct curve_row {
  double strain_pct = 0.0;
  double g_ratio = 1.0;
  double damping = 0.0;
};
struct strain_table {
  std::vector<curve_row> rows;
};

// No softening: G/G0 = 1 and a damping that does not change with strain.
struct constant_damping {
  double damping = 0.0;
};

using soil_curve = std::variant<hardin_drnevich, darendeli, strain_table, constant_damping>;

struct curve_value {
  double g_ratio = 1.0;
  double damping = 0.0;
  bool beyond_table = false;  // a table's end value taken, the strain outside its rows
};

// The curve at strain_pct >= 0. mean_stress_kpa is Darendeli's sigma'_m (its own when it has
// one, else the caller's), unused by the other curves. A valid curve (see check_profile) gives
// finite values.
curve_value curve_at(const soil_curve& curve, double strain_pct, double mean_stress_kpa);

// Darendeli's reference strain (%) and minimum damping (%) at a mean effective stress (kPa).
double darendeli_reference_strain(const darendeli& soil, double mean_stress_kpa);
double darendeli_minimum_damping(const darendeli& soil, double mean_stress_kpa);

// Masing damping (%) of the hyperbola G/G0 = 1/(1 + g/g_r) at strain g and reference strain g_r
// (both %): (100/pi) [4 (g - g_r ln((g + g_r)/g_r)) / (g^2/(g + g_r)) - 2]; 0 at g = 0.
double masing_damping_hyperbolic(double strain_pct, double reference_pct);

}  // namespace site
