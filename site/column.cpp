#include "site/column.h"

#include <algorithm>
#include <cmath>
#include <variant>

namespace site {

// Sublayers per wavelength at max_frequency: five, SHAKE's customary fineness for the strain.
constexpr double sublayers_per_wavelength = 5.0;

std::size_t sublayer_count(double thickness, double vs, double max_frequency) {
  // floor + 1: strictly thinner, also when thickness is an exact multiple (the product first, so
  // that whole numbers stay whole).
  const double wavelengths = thickness * sublayers_per_wavelength * max_frequency / vs;
  return static_cast<std::size_t>(std::floor(wavelengths)) + 1;
}

std::vector<sublayer> divide_column(const site_profile& profile) {
  std::vector<sublayer> parts;
  double top = 0.0;
  for (std::size_t i = 0; i < profile.layers.size(); ++i) {
    const soil_layer& layer = profile.layers[i];
    const std::size_t count = sublayer_count(layer.thickness, layer.vs, profile.max_frequency);
    const double bottom_of_layer = top + layer.thickness;
    for (std::size_t j = 0; j < count; ++j) {
      const double part_top =
          top + layer.thickness * static_cast<double>(j) / static_cast<double>(count);
      const double part_bottom =
          j + 1 == count
              ? bottom_of_layer
              : top + layer.thickness * static_cast<double>(j + 1) / static_cast<double>(count);
      parts.push_back({i, part_top, part_bottom});
    }
    top = bottom_of_layer;
  }
  return parts;
}

double vertical_effective_stress(const site_profile& profile, double depth) {
  double total = 0.0;
  double top = 0.0;
  for (const soil_layer& layer : profile.layers) {
    if (depth <= top) break;
    total += layer.unit_weight * (std::min(depth, top + layer.thickness) - top);
    top += layer.thickness;
  }
  if (depth > top) total += profile.bedrock.unit_weight * (depth - top);
  const double below_water =
      profile.water_table ? std::max(0.0, depth - *profile.water_table) : 0.0;
  return total - water_unit_weight * below_water;
}

double layer_mean_stress(const site_profile& profile, std::size_t layer) {
  const soil_layer& soil = profile.layers[layer];
  double top = 0.0;
  for (std::size_t i = 0; i < layer; ++i) top += profile.layers[i].thickness;
  const auto* curve = std::get_if<darendeli>(&soil.curve);
  if (curve && curve->mean_stress_kpa) return *curve->mean_stress_kpa;
  const double k0 = curve ? curve->k0 : darendeli{}.k0;
  return vertical_effective_stress(profile, top + soil.thickness / 2.0) * (1.0 + 2.0 * k0) / 3.0;
}

double column_depth(const site_profile& profile) {
  double depth = 0.0;
  for (const soil_layer& layer : profile.layers) depth += layer.thickness;
  return depth;
}

}  // namespace site
