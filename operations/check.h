// What `wavetool check` computes about a wave: the time-domain measures in double and the four
// acceptance measures exactly as fitwave computes them.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>

#include "motion/criteria.h"
#include "motion/measures.h"
#include "operations/spectrum_request.h"
#include "operations/wave_file.h"
#include "waveio/text_fields.h"

namespace wavetool {

struct check_report {
  motion::motion_summary measures;
  std::optional<motion::criteria> criteria;
  // Whether each criterion's window holds a grid period: one that does not has no value.
  std::array<bool, motion::criteria_count> computable{true, true, true, true};
  // The spectrum judged against, named only when it is not fitwave's (the reports stay as they
  // were for the default).
  std::string spectrum;
};

// The four measures of a wave against the requested spectrum (its table read and covering the
// criteria's periods), at its damping, with criteria 1, 3 and 4 over its window; for the default
// request fitwave's: its transform length, grid, target spectrum and 5 %-damped response spectrum
// over nt = acc.size() samples at dt, all in float, from the fit's set-up. No criteria for a wave
// wavetool does not fit (too few samples or more than max_design_transform_length, a bad step).
check_report criteria_report(std::span<const float> acc, float dt, const spectrum_request& r);

// A float as its shortest decimal that reads back as it: 0.01, not 0.00999999978.
using waveio::shortest_text;

// The limit of a rule as shown: ">= 0.85", ">= 1.0".
std::string limit_text(const motion::criterion_rule& rule);

// The float samples widened to double, at the float step widened.
check_report evaluate(const wave& w, const spectrum_request& r);

// The report as an aligned table and as one JSON object (with a final line end).
std::string report_table(const check_report& r);
std::string report_json(const check_report& r);

}  // namespace wavetool
