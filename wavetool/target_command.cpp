#include <cmath>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "operations/spectrum_request.h"
#include "operations/wave_file.h"
#include "waveio/text_fields.h"
#include "wavetool/command_line.h"
#include "wavetool/commands.h"

namespace wavetool {
namespace {

std::string table_text(const std::vector<double>& t, const std::vector<double>& sa) {
  std::string text = "period(s),sa(gal)\n";
  for (std::size_t i = 0; i < t.size(); ++i)
    text += waveio::short_text(t[i]) + "," + waveio::short_text(sa[i]) + "\n";
  return text;
}

std::string json_text(const motion::design_spectrum& s, const std::vector<double>& t,
                      const std::vector<double>& sa) {
  nlohmann::ordered_json j;
  j["spectrum"] = motion::kind_name(s.kind);
  j["description"] = motion::description(s);
  j["damping"] = s.damping;
  j["period"] = t;
  j["sa"] = sa;
  return j.dump(2) + "\n";
}

struct target_options {
  spectrum_keys keys;
  std::string periods;
  bool json = false;
};

int run_target(const target_options& o, spectrum_request r) {
  if (const auto e = load_table(r)) {
    return bad_input(*e);
  }
  std::vector<double> t = window_periods(r.window_min, r.window_max);
  if (!o.periods.empty()) t = *parse_reals(o.periods);
  std::vector<double> sa(t.size());
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!motion::covers(r.spectrum, t[i])) {
      return bad_input({r.table_file, 0,
                        "period " + waveio::short_text(t[i]) + " s lies outside " +
                            table_periods_text(r.spectrum) + std::string(never_extrapolated)});
    }
    sa[i] = motion::spectral_acceleration(r.spectrum, t[i]);
  }
  std::cout << (o.json ? json_text(r.spectrum, t, sa) : table_text(t, sa));
  return 0;
}

}  // namespace

void add_target_command(CLI::App& app, int& status) {
  auto o = std::make_shared<target_options>();
  CLI::App* sub = app.add_subcommand(
      "target", "Print a design spectrum: Sa (gal) at periods (s), for a report or a spreadsheet");
  add_spectrum_options(*sub, o->keys);
  sub->add_option("--periods", o->periods,
                  "T1,T2,... (s); default " + std::to_string(drawn_period_count) +
                      " periods evenly spaced in log over the window");
  sub->add_flag("--json", o->json, "one JSON object: the description and the two arrays");
  sub->callback([o, &status] {
    const spectrum_choice c = spectrum_from_keys(o->keys);
    if (!c.ok()) throw CLI::ValidationError(c.error);
    if (!o->periods.empty()) {
      const auto t = parse_reals(o->periods);
      bool positive = t.has_value();
      for (double x : t.value_or(std::vector<double>{})) positive = positive && x > 0.0;
      if (!positive) {
        throw CLI::ValidationError("--periods",
                                   "expected periods above 0 (s), found \"" + o->periods + "\"");
      }
    }
    status = run_target(*o, c.request);
  });
}

}  // namespace wavetool
