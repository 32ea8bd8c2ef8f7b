// The numbers of the JSON that `wavetool check` and `wavetool suite` write about a wave, in one
// place so that both show a measure the same way.
#pragma once

#include <nlohmann/json.hpp>

#include "motion/measures.h"

namespace wavetool {

// A float as the double of its shortest decimal, so that JSON shows 0.85f as 0.85, not as the
// 0.8500000238418579 it widens to.
double json_float(float x);

// The time-domain measures as members of j, in this order: samples, dt, pga, pga_time, pgv, pgd,
// end_velocity, end_displacement, arias, d5_95 (gal, cm/s, cm, m/s, s). The step is the wave's
// float and is shown as one. The peak acceleration is one of its float samples: shown as that
// float when pga_as_float (the suite's results), else as the double it widens to (check's report,
// as it has always been). Its time, a sample's time at the wave's single-precision step, is
// shown as a float (27.01, not 27.009999396279454).
void add_measures(nlohmann::ordered_json& j, const motion::motion_summary& m, bool pga_as_float);

}  // namespace wavetool
