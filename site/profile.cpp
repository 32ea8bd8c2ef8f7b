#include "site/profile.h"

#include <array>
#include <utility>

#include "motion/measures.h"

namespace site {
namespace {

using field = profile_field;

// The dormieux modulus has sqrt(1 - 4h^2): no real part beyond h = 0.5.
constexpr double dormieux_damping_limit = 0.5;

// Each test is written so that NaN fails it.
bool positive(double x) {
  return x > 0.0 && x < 1e300;
}
bool ratio_in_unit_interval(double x) {
  return x > 0.0 && x <= 1.0;
}
bool damping_in_range(double x) {
  return x >= 0.0 && x < 1.0;
}

std::optional<std::pair<field, std::string>> damping_fault(field where, double damping,
                                                           modulus_form form) {
  if (!damping_in_range(damping)) return std::pair{where, std::string("must be in [0, 1)")};
  if (form == modulus_form::dormieux && damping > dormieux_damping_limit) {
    return std::pair{where, std::string("must not exceed 0.5 with the dormieux modulus")};
  }
  return std::nullopt;
}

struct curve_fault {
  field where;
  std::string reason;
  std::optional<std::size_t> row;
};

std::optional<curve_fault> fault_of(const hardin_drnevich& c, modulus_form) {
  if (!positive(c.gamma_ref_pct)) return curve_fault{field::gamma_ref, "must be positive", {}};
  if (!damping_in_range(c.h_max)) return curve_fault{field::h_max, "must be in [0, 1)", {}};
  if (!damping_in_range(c.h_min)) return curve_fault{field::h_min, "must be in [0, 1)", {}};
  if (!(c.h_max + c.h_min < 1.0)) {
    return curve_fault{field::h_max, "with h_min must stay below 1", {}};
  }
  return std::nullopt;
}

std::optional<curve_fault> fault_of(const darendeli& c, modulus_form) {
  if (!(c.plasticity >= 0.0 && c.plasticity < 1e300)) {
    return curve_fault{field::plasticity, "must not be negative", {}};
  }
  if (!positive(c.ocr)) return curve_fault{field::ocr, "must be positive", {}};
  if (c.mean_stress_kpa && !positive(*c.mean_stress_kpa)) {
    return curve_fault{field::mean_stress, "must be positive", {}};
  }
  if (!positive(c.k0)) return curve_fault{field::k0, "must be positive", {}};
  if (!positive(c.frequency)) return curve_fault{field::frequency, "must be positive", {}};
  if (!(c.cycles >= 1.0 && c.cycles < 1e300)) {
    return curve_fault{field::cycles, "must be at least 1", {}};
  }
  return std::nullopt;
}

std::optional<curve_fault> fault_of(const strain_table& c, modulus_form form) {
  if (c.rows.size() < 2) return curve_fault{field::table, "must hold at least two rows", {}};
  for (std::size_t i = 0; i < c.rows.size(); ++i) {
    const curve_row& row = c.rows[i];
    if (!positive(row.strain_pct)) return curve_fault{field::table_strain, "must be positive", i};
    if (i > 0 && !(row.strain_pct > c.rows[i - 1].strain_pct)) {
      return curve_fault{field::table_strain, "must increase from the row above", i};
    }
    if (!ratio_in_unit_interval(row.g_ratio)) {
      return curve_fault{field::table_g_ratio, "must be in (0, 1]", i};
    }
    if (auto f = damping_fault(field::table_damping, row.damping, form)) {
      return curve_fault{f->first, f->second, i};
    }
  }
  return std::nullopt;
}

std::optional<curve_fault> fault_of(const constant_damping& c, modulus_form form) {
  if (auto f = damping_fault(field::damping, c.damping, form)) {
    return curve_fault{f->first, f->second, {}};
  }
  return std::nullopt;
}

profile_fault site_fault(field where, std::string reason) {
  return {profile_fault::part::site, 0, {}, where, std::move(reason)};
}

}  // namespace

double strain_ratio_of_magnitude(double magnitude) {
  return (magnitude - 1.0) / 10.0;
}

double unit_weight_of_density(double density) {
  return density * motion::standard_gravity / 100.0;
}

std::string_view field_name(profile_field f) {
  static constexpr std::array<std::string_view, 23> names{
      "strain_ratio",  "tolerance",   "max_iterations",
      "max_frequency", "water_table", "layer",
      "thickness",     "vs",          "unit_weight",
      "damping",       "gamma_ref",   "h_max",
      "h_min",         "plasticity",  "ocr",
      "mean_stress",   "k0",          "frequency",
      "cycles",        "table",       "strain",
      "g_ratio",       "damping"};
  return names[static_cast<std::size_t>(f)];
}

std::optional<profile_fault> check_profile(const site_profile& p) {
  if (!ratio_in_unit_interval(p.strain_ratio)) {
    return site_fault(field::strain_ratio, "must be in (0, 1]");
  }
  if (!positive(p.tolerance)) return site_fault(field::tolerance, "must be positive");
  if (p.max_iterations < 1) return site_fault(field::max_iterations, "must be at least 1");
  if (!positive(p.max_frequency)) return site_fault(field::max_frequency, "must be positive");
  if (p.water_table && !(*p.water_table >= 0.0 && *p.water_table < 1e300)) {
    return site_fault(field::water_table, "must not be negative");
  }
  if (p.layers.empty()) return site_fault(field::layers, "the column needs at least one layer");
  for (std::size_t i = 0; i < p.layers.size(); ++i) {
    const soil_layer& layer = p.layers[i];
    auto layer_fault = [&](field where, std::string reason, std::optional<std::size_t> row = {}) {
      return profile_fault{profile_fault::part::layer, i, row, where, std::move(reason)};
    };
    if (!positive(layer.thickness)) return layer_fault(field::thickness, "must be positive");
    if (!positive(layer.vs)) return layer_fault(field::vs, "must be positive");
    if (!positive(layer.unit_weight)) return layer_fault(field::unit_weight, "must be positive");
    const auto fault =
        std::visit([&](const auto& curve) { return fault_of(curve, p.form); }, layer.curve);
    if (fault) return layer_fault(fault->where, fault->reason, fault->row);
  }
  auto rock_fault = [](field where, std::string reason) {
    return profile_fault{profile_fault::part::bedrock, 0, {}, where, std::move(reason)};
  };
  if (!positive(p.bedrock.vs)) return rock_fault(field::vs, "must be positive");
  if (!positive(p.bedrock.unit_weight)) return rock_fault(field::unit_weight, "must be positive");
  if (auto f = damping_fault(field::damping, p.bedrock.damping, p.form)) {
    return rock_fault(f->first, f->second);
  }
  return std::nullopt;
}

}  // namespace site
