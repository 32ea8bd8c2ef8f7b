// What `wavetool check` computes about a wave: the time-domain measures in double and the four
// acceptance measures exactly as fitwave computes them.
#pragma once

#include <optional>
#include <span>
#include <string>

#include "motion/criteria.h"
#include "motion/measures.h"
#include "wavetool/wave_file.h"

namespace wavetool {

// fitwave's four measures of a wave: its transform length, grid, target spectrum and 5 %-damped
// response spectrum over nt = acc.size() samples at dt, all in float. nullopt for a wave of
// more samples than fitwave fits.
std::optional<motion::criteria> fitwave_criteria(std::span<const float> acc, float dt);

struct check_report {
  motion::motion_summary measures;
  std::optional<motion::criteria> criteria;
};
// The float samples widened to double, at the float step widened.
check_report evaluate(const wave& w);

// The report as an aligned table and as one JSON object (with a final line end).
std::string report_table(const check_report& r);
std::string report_json(const check_report& r);

}  // namespace wavetool
