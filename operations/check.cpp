#include "operations/check.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "motion/prepared_fit.h"
#include "motion/target_grid.h"
#include "operations/result_json.h"
#include "waveio/text_fields.h"

namespace wavetool {

using waveio::float_text;
namespace {

std::string row(std::string_view key, const std::string& value, std::string_view unit) {
  char buffer[128];
  const int n = std::snprintf(buffer, sizeof buffer, "%-18s %15s %s", std::string(key).c_str(),
                              value.c_str(), std::string(unit).c_str());
  std::string s(buffer, static_cast<std::size_t>(n));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s + "\n";
}

std::string measure_text(double x) {
  char buffer[40];
  const int n = std::snprintf(buffer, sizeof buffer, "%.6g", x);
  return {buffer, static_cast<std::size_t>(n)};
}

}  // namespace

std::string limit_text(const motion::criterion_rule& rule) {
  std::string limit = shortest_text(rule.limit);
  if (limit.find('.') == std::string::npos) limit += ".0";
  return (rule.compare == motion::comparison::at_least ? ">= " : "<= ") + limit;
}

check_report criteria_report(std::span<const float> acc, float dt, const spectrum_request& q) {
  check_report r;
  const bool fitwave_target = motion::is_fitwave_target(q.spectrum);
  if (!fitwave_target) r.spectrum = motion::description(q.spectrum);
  const motion::period_window judged = criteria_window(q);
  const motion::prepared_fit p = motion::prepare_fit(
      acc, dt, motion::corner_times{}, static_cast<float>(q.spectrum.damping), judged);
  if (p.reason != motion::unfit_reason::none && p.reason != motion::unfit_reason::empty_window) {
    return r;
  }
  const std::vector<float> target =
      fitwave_target ? p.target : motion::target_on_grid(p.g, q.spectrum);
  r.criteria = motion::criteria_of(p.g, p.input_sa, target, judged);
  r.computable = p.computable;
  return r;
}

check_report evaluate(const wave& w, const spectrum_request& q) {
  const std::vector<double> acc(w.acc.begin(), w.acc.end());
  check_report r = criteria_report(w.acc, w.dt, q);
  r.measures = motion::summarize(acc, static_cast<double>(w.dt));
  return r;
}

std::string report_table(const check_report& r) {
  const motion::motion_summary& m = r.measures;
  std::string s;
  if (!r.spectrum.empty()) {
    char line[40];
    std::snprintf(line, sizeof line, "%-18s ", "spectrum");
    s += line + r.spectrum + "\n";
  }
  s += row("samples", std::to_string(m.samples), "");
  s += row("dt", shortest_text(static_cast<float>(m.dt)), "s");
  s += row("pga", measure_text(m.pga), "gal");
  s += row("pga_time", measure_text(m.pga_time), "s");
  for (const measure_entry& e : double_measures) s += row(e.key, measure_text(m.*e.value), e.unit);
  if (!r.criteria) {
    s += row("criteria", "-", "(more samples than wavetool fits)");
    return s;
  }
  for (std::size_t k = 0; k < motion::criteria_count; ++k) {
    const motion::criterion_rule& rule = motion::criteria_rules[k];
    const std::string key = "criterion " + std::to_string(k + 1);
    if (!r.computable[k]) {
      s += row(key.c_str(), "-", "(no grid period in its window)");
      continue;
    }
    const float value = motion::measure(*r.criteria, k);
    char shown[32];
    std::snprintf(shown, sizeof shown, "%-7s  %s", limit_text(rule).c_str(),
                  motion::meets(rule, value) ? "pass" : "FAIL");
    s += row(key.c_str(), float_text(value), shown);
  }
  return s;
}

std::string report_json(const check_report& r) {
  const motion::motion_summary& m = r.measures;
  nlohmann::ordered_json j;
  if (!r.spectrum.empty()) j["spectrum"] = r.spectrum;
  add_measures(j, m, false);
  if (r.criteria) {
    j["criteria"] = nlohmann::ordered_json::object();
    for (std::size_t k = 0; k < motion::criteria_count; ++k) {
      const std::string key(motion::criteria_rules[k].name);
      if (r.computable[k]) {
        j["criteria"][key] = json_float(motion::measure(*r.criteria, k));
      } else {
        j["criteria"][key] = nullptr;
      }
    }
  } else {
    j["criteria"] = nullptr;
  }
  return j.dump(2) + "\n";
}

}  // namespace wavetool
