#include "motion/target_grid.h"

#include <cstddef>

#include "motion/fit.h"

namespace motion {

bool is_fitwave_target(const design_spectrum& s) {
  return s.kind == spectrum_kind::bedrock && s.level == spectrum_level::extreme && s.zone == 1.0 &&
         s.damping == default_damping;
}

std::vector<float> target_on_grid(const grid& g, const design_spectrum& s) {
  std::vector<float> target(static_cast<std::size_t>(g.nom), 0.0f);
  if (is_fitwave_target(s)) {
    target_spectrum(g, target);
    return target;
  }
  for (std::int32_t j = 2; j <= g.nom; ++j) {
    double period = static_cast<double>(period_of(omega_at(j, g.dom)));
    double scale = 1.0;
    if (s.kind == spectrum_kind::table && !s.periods.empty()) {
      if (period < s.periods.front()) period = s.periods.front();
      if (period > s.periods.back()) {
        scale = s.periods.back() / period;
        period = s.periods.back();
      }
    }
    target[static_cast<std::size_t>(j - 1)] =
        static_cast<float>(spectral_acceleration(s, period) * scale);
  }
  return target;
}

}  // namespace motion
