// The soil column cut into the sublayers the analysis works on, and the stresses in it.
// Depths in m from the ground surface, stresses in kPa.
#pragma once

#include <cstddef>
#include <vector>

#include "site/profile.h"

namespace site {

// The number of equal sublayers a layer is cut into: the fewest, each thinner than a fifth of
// the shortest wavelength that matters, vs / (5 max_frequency). At least 1.
std::size_t sublayer_count(double thickness, double vs, double max_frequency);

struct sublayer {
  std::size_t layer = 0;  // the profile's layer it belongs to, from 0
  double top = 0.0;
  double bottom = 0.0;
};

// Every layer's sublayers, top down. The profile must be valid (see check_profile).
std::vector<sublayer> divide_column(const site_profile& profile);

// Vertical effective stress at a depth in the column: the unit weights above, less the pore
// pressure of water_unit_weight below the water table.
double vertical_effective_stress(const site_profile& profile, double depth);

// The mean effective stress Darendeli's curve of a layer is taken at: its own where given, else
// sigma'_v (1 + 2 k0) / 3 at mid-layer (k0 0.5 for other curves).
double layer_mean_stress(const site_profile& profile, std::size_t layer);

// Total thickness of the soil (m): the depth of the bedrock's top.
double column_depth(const site_profile& profile);

}  // namespace site
