// An observed record scaled to a design level instead of fitted: to a peak ground velocity (from
// rest, as `check` integrates it), a peak ground acceleration, or by a factor.
#pragma once

#include <cmath>
#include <optional>
#include <string>

#include "motion/measures.h"
#include "operations/wave_file.h"

namespace wavetool {

enum class scale_measure { pgv, pga, factor };

// A factor a record may be scaled by: finite, and not 0, which would leave no motion at all. A
// negative one turns the record's polarity over.
inline constexpr const char* factor_rule = "a finite factor other than 0";
inline bool usable_factor(double x) {
  return std::isfinite(x) && x != 0.0;
}

struct wave_scaling {
  scale_measure measure = scale_measure::factor;
  double value = 1.0;  // cm/s, gal, or the factor
};

// The scaled wave as the fitted wave's layout holds it, and its measures as read back.
struct scaled_wave {
  std::string text;
  double factor = 1.0;
  motion::motion_summary measures;
};
struct scaling_result {
  std::optional<scaled_wave> scaled;
  std::optional<std::string> refused;  // why no factor gives the aim, in words for the option
};

// w scaled as s asks; aim: how the caller names the request ("--pgv 50", "pgv = 50").
scaling_result scale_wave(const wave& w, const wave_scaling& s, const std::string& aim);

}  // namespace wavetool
