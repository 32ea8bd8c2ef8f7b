// The road of one site analysis, shared by `wavetool site` and the design sets: a wave taken
// through a profile, the motion written in the fitted wave's layout and measured as `check` will
// read it back, or the sublayer where the analysis failed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "motion/measures.h"
#include "operations/wave_file.h"
#include "site/analysis.h"
#include "site/profile.h"

namespace wavetool {

// Where the wave is taken in and out; the acceleration and step come from the wave.
struct site_points {
  site::motion_kind input_kind = site::motion_kind::outcrop;
  std::optional<double> input_depth;
  site::motion_kind output_kind = site::motion_kind::within;
  double output_depth = 0.0;
};

struct site_run {
  site::site_response response;
  std::string wave_text;               // the output motion, the input's step and samples
  motion::motion_summary measures;     // of the motion as written
  std::optional<std::string> failure;  // where and why it stopped; nothing is to be written
};

// The analysis of w (gal, a step the layout can write) through a valid profile.
site_run run_site_analysis(const site::site_profile& profile, const wave& w,
                           const site_points& points);

// One note per layer whose effective strain lies beyond its table's rows.
std::vector<std::string> beyond_table_notes(const site::site_profile& profile,
                                            const site::site_response& r);

}  // namespace wavetool
