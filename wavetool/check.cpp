#include "wavetool/check.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <vector>

#include "motion/fit.h"
#include "motion/grid.h"
#include "motion/response_spectrum.h"
#include "waveio/text_fields.h"

namespace wavetool {

using waveio::float_text;
namespace {

// A float as its shortest decimal that reads back as it, so that 0.01 is shown as 0.01 and not
// as the float's binary expansion.
std::string shortest_text(float x) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, x);
  return {buffer, r.ptr};
}
double json_float(float x) {
  return std::strtod(shortest_text(x).c_str(), nullptr);
}

std::string row(const char* key, const std::string& value, const char* unit) {
  char buffer[128];
  const int n = std::snprintf(buffer, sizeof buffer, "%-18s %15s %s", key, value.c_str(), unit);
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

std::optional<motion::criteria> fitwave_criteria(std::span<const float> acc, float dt) {
  const auto nt = static_cast<std::int32_t>(acc.size());
  const motion::transform_size size = motion::transform_length(nt);
  if (size.nf == 0) return std::nullopt;
  const motion::grid g = motion::make_grid(nt, dt, size.nf);
  // Arrays as fitwave holds them: the wave followed by zeros up to the transform length.
  const auto nf = static_cast<std::size_t>(g.nf);
  std::vector<float> ddy(nf, 0.0f);
  std::copy(acc.begin(), acc.end(), ddy.begin());
  std::vector<float> target(nf, 0.0f), sa(nf, 0.0f);
  motion::target_spectrum(g, target);
  motion::response_spectrum spectrum(nf);
  spectrum.compute(ddy, g.nt, g.dt, g.dom, g.nom, sa);
  return motion::criteria_of(g, sa, target);
}

check_report evaluate(const wave& w) {
  const std::vector<double> acc(w.acc.begin(), w.acc.end());
  return {motion::summarize(acc, static_cast<double>(w.dt)), fitwave_criteria(w.acc, w.dt)};
}

std::string report_table(const check_report& r) {
  const motion::motion_summary& m = r.measures;
  std::string s;
  s += row("samples", std::to_string(m.samples), "");
  s += row("dt", shortest_text(static_cast<float>(m.dt)), "s");
  s += row("pga", measure_text(m.pga), "gal");
  s += row("pga_time", measure_text(m.pga_time), "s");
  s += row("pgv", measure_text(m.pgv), "cm/s");
  s += row("pgd", measure_text(m.pgd), "cm");
  s += row("end_velocity", measure_text(m.end_velocity), "cm/s");
  s += row("end_displacement", measure_text(m.end_displacement), "cm");
  s += row("arias", measure_text(m.arias), "m/s");
  s += row("d5_95", measure_text(m.d5_95), "s");
  if (!r.criteria) {
    s += row("criteria", "-", "(more samples than fitwave fits)");
    return s;
  }
  const motion::criteria& c = *r.criteria;
  const motion::criteria_verdict v = motion::judge(c);
  const auto verdict = [](bool ok, const char* limit) {
    return std::string(limit) + (ok ? "  pass" : "  FAIL");
  };
  s += row("criterion 1", float_text(c.cr1), verdict(v.cr1, ">= 0.85").c_str());
  s += row("criterion 2", float_text(c.cr2), verdict(v.cr2, ">= 1.0 ").c_str());
  s += row("criterion 3", float_text(c.cr3), verdict(v.cr3, "<= 0.05").c_str());
  s += row("criterion 4", float_text(c.cr4), verdict(v.cr4, ">= 0.95").c_str());
  return s;
}

std::string report_json(const check_report& r) {
  const motion::motion_summary& m = r.measures;
  nlohmann::ordered_json j;
  j["samples"] = m.samples;
  j["dt"] = json_float(static_cast<float>(m.dt));
  j["pga"] = m.pga;
  j["pga_time"] = m.pga_time;
  j["pgv"] = m.pgv;
  j["pgd"] = m.pgd;
  j["end_velocity"] = m.end_velocity;
  j["end_displacement"] = m.end_displacement;
  j["arias"] = m.arias;
  j["d5_95"] = m.d5_95;
  if (r.criteria) {
    j["criteria"] = {{"cr1", json_float(r.criteria->cr1)},
                     {"cr2", json_float(r.criteria->cr2)},
                     {"cr3", json_float(r.criteria->cr3)},
                     {"cr4", json_float(r.criteria->cr4)}};
  } else {
    j["criteria"] = nullptr;
  }
  return j.dump(2) + "\n";
}

}  // namespace wavetool
