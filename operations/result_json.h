// The numbers of the JSON that `wavetool check` and `wavetool suite` write about a wave, in one
// place so that both show a measure the same way.
#pragma once

#include <array>
#include <nlohmann/json.hpp>
#include <string_view>

#include "motion/measures.h"

namespace wavetool {

// The measures of a wave computed in double, in the order every listing gives them after the
// peak acceleration and its time: the key the result files, the summary and `check` name each
// by, and its unit.
struct measure_entry {
  std::string_view key;
  std::string_view unit;
  double motion::motion_summary::*value;
};
inline constexpr std::array<measure_entry, 6> double_measures{{
    {"pgv", "cm/s", &motion::motion_summary::pgv},
    {"pgd", "cm", &motion::motion_summary::pgd},
    {"end_velocity", "cm/s", &motion::motion_summary::end_velocity},
    {"end_displacement", "cm", &motion::motion_summary::end_displacement},
    {"arias", "m/s", &motion::motion_summary::arias},
    {"d5_95", "s", &motion::motion_summary::d5_95},
}};

// A float as the double of its shortest decimal, so that JSON shows 0.85f as 0.85, not as the
// 0.8500000238418579 it widens to.
double json_float(float x);

// The time-domain measures as members of j, in this order: samples, dt, pga, pga_time, then
// double_measures. The step is the wave's
// float and is shown as one. The peak acceleration is one of its float samples: shown as that
// float when pga_as_float (the suite's results), else as the double it widens to (check's report,
// as it has always been). Its time, a sample's time at the wave's single-precision step, is
// shown as a float (27.01, not 27.009999396279454).
void add_measures(nlohmann::ordered_json& j, const motion::motion_summary& m, bool pga_as_float);

}  // namespace wavetool
