// What `wavetool site` tells of an analysis besides the wave: the table per sublayer with the
// passes (RESULT.csv), the same as one JSON object with the surface's measures and the transfer
// functions, and the lines on standard error that name a layer.
#pragma once

#include <cstddef>
#include <string>

#include "motion/measures.h"
#include "site/analysis.h"
#include "site/profile.h"

namespace wavetool {

// A layer as messages and results name it: its name, or "layer N" (from 1) when it has none.
std::string layer_label(const site::site_profile& profile, std::size_t layer);

// Where a sublayer (from 0, top down) lies: "layer \"clay\", sublayer 3 (4 to 6 m)".
std::string sublayer_label(const site::site_profile& profile, std::size_t sublayer);

// The sublayers top down under a header, a blank line, then the passes with their error and the
// sublayer where it is largest. Numbers as their shortest decimal.
std::string site_table_text(const site::site_profile& profile, const site::site_response& r);

// The results as one JSON object (with a final line end); surface: the written wave's measures,
// as `check` gives them.
std::string site_json_text(const site::site_profile& profile, const site::site_response& r,
                           const motion::motion_summary& surface);

// The line that ends an analysis: converged after N passes, or not, with the last error and
// where it lies.
std::string site_verdict(const site::site_profile& profile, const site::site_response& r);

}  // namespace wavetool
