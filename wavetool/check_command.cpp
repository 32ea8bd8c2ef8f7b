#include <iostream>
#include <memory>
#include <string>

#include "operations/check.h"
#include "operations/spectrum_request.h"
#include "wavetool/command_line.h"
#include "wavetool/commands.h"

namespace wavetool {

void add_check_command(CLI::App& app, int& status) {
  struct options {
    std::string wave;
    bool json = false;
    spectrum_keys keys;
  };
  auto o = std::make_shared<options>();
  CLI::App* sub = app.add_subcommand(
      "check", "Report a wave's peaks, drift, intensity, duration and fitwave's four criteria");
  sub->add_option("WAVE", o->wave, "fitwave input layout or fitwave's fitted wave")->required();
  sub->add_flag("--json", o->json, "one JSON object instead of the table");
  add_spectrum_options(*sub, o->keys);
  sub->footer(criteria_help() +
              "A criterion whose window holds no grid period is not computable: - (JSON null).\n"
              "WAVE - reads standard input.\n"
              "Exit status: 0 reported, 1 bad input, 2 usage.");
  sub->callback([o, &status] {
    const spectrum_choice c = spectrum_from_keys(o->keys);
    if (!c.ok()) throw CLI::ValidationError(c.error);
    spectrum_request request = c.request;
    auto e = load_table(request);
    if (!e) e = uncovered_criteria(request);
    if (e) {
      status = bad_input(*e);
      return;
    }
    const wave_result r = read_wave(o->wave);
    if (!r.ok()) {
      status = bad_input(*r.error);
      return;
    }
    const check_report report = evaluate(r.w, request);
    std::cout << (o->json ? report_json(report) : report_table(report));
    status = 0;
  });
}

}  // namespace wavetool
