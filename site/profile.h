// A site's soil column as an engineer describes it from the boring log: layers top down on a
// bedrock half-space, with how the analysis treats them. Lengths in m, velocities in m/s, unit
// weights in kN/m3, stresses in kPa, strains in percent, damping a fraction of critical.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "site/curves.h"

namespace site {

// linear: small-strain properties, one pass. equivalent_linear: strain-compatible properties,
// iterated.
enum class site_method { linear, equivalent_linear };

// The complex shear modulus G* of a soil of secant modulus G and damping h, in one of four
// published forms (modulus_form_formulas); dormieux is defined for h <= 0.5 only.
enum class modulus_form { simple, shake91, kramer, dormieux };
// Each form's name, in the order of the enumeration.
inline constexpr std::array<std::string_view, 4> modulus_form_names{"simple", "shake91", "kramer",
                                                                    "dormieux"};
// Each form's G* as an engineer writes it (UTF-8), in the order of the enumeration.
inline constexpr std::array<std::string_view, 4> modulus_form_formulas{
    "G(1 + 2ih)", "G(1 − 2h² + 2ih√(1 − h²))", "G(1 − h² + 2ih)", "G(√(1 − 4h²) + 2ih)"};

struct soil_layer {
  std::string name;
  double thickness = 0.0;    // m
  double vs = 0.0;           // small-strain shear-wave velocity (m/s)
  double unit_weight = 0.0;  // total (kN/m3)
  soil_curve curve = constant_damping{};
};

struct half_space {
  double vs = 0.0;
  double unit_weight = 0.0;
  double damping = 0.0;
};

struct site_profile {
  std::string name;
  site_method method = site_method::equivalent_linear;
  double strain_ratio = 0.65;  // effective / peak strain
  double tolerance = 0.01;     // largest relative change of G/G0 or damping between passes
  int max_iterations = 30;
  modulus_form form = modulus_form::shake91;
  double max_frequency = 25.0;        // Hz: the sublayers resolve a fifth of its wavelength
  std::optional<double> water_table;  // depth (m); none: the column is dry
  std::vector<soil_layer> layers;     // top down
  half_space bedrock;
};

// The strain ratio of an earthquake of magnitude m: (m - 1) / 10.
double strain_ratio_of_magnitude(double magnitude);
// Unit weight (kN/m3) of a mass density (t/m3) under standard gravity.
double unit_weight_of_density(double density);
// Unit weight of water (kN/m3), for the effective stresses under the water table.
inline constexpr double water_unit_weight = 9.81;

// The profile's quantities a fault can lie in.
enum class profile_field {
  strain_ratio,
  tolerance,
  max_iterations,
  max_frequency,
  water_table,
  layers,
  thickness,
  vs,
  unit_weight,
  damping,
  gamma_ref,
  h_max,
  h_min,
  plasticity,
  ocr,
  mean_stress,
  k0,
  frequency,
  cycles,
  table,
  table_strain,
  table_g_ratio,
  table_damping,
};
// The field's name as a profile spells it ("gamma_ref", "unit_weight", ...).
std::string_view field_name(profile_field field);

// Where a profile is wrong and why, in words such as "must be positive".
struct profile_fault {
  enum class part { site, layer, bedrock };
  part where = part::site;
  std::size_t layer = 0;           // from 0, when where is layer
  std::optional<std::size_t> row;  // from 0, when the fault lies in a row of a layer's table
  profile_field field = profile_field::layers;
  std::string reason;
};

// The first fault of a profile, top down, or none: a profile without one can be analysed.
std::optional<profile_fault> check_profile(const site_profile& profile);

}  // namespace site
