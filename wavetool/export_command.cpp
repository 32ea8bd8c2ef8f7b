#include <iostream>
#include <memory>
#include <string>

#include "wavetool/commands.h"
#include "wavetool/export.h"

namespace wavetool {

void add_export_command(CLI::App& app, int& status) {
  struct options {
    std::string wave, to, output, what = "acceleration";
    double scale = 1.0;
  };
  auto o = std::make_shared<options>();
  CLI::App* sub = app.add_subcommand(
      "export", "Write a wave for an analysis program: columns, OpenSees path values or PEER AT2");
  sub->add_option("WAVE", o->wave, "fitwave input layout or fitwave's fitted wave")->required();
  sub->add_option("--to", o->to, "columns (time and value), opensees (one value a line), at2 (g)")
      ->required()
      ->check(CLI::IsMember({"columns", "opensees", "at2"}));
  sub->add_option("-o,--output", o->output, "the file to write")->required();
  sub->add_option("--what", o->what, "acceleration (default), velocity or displacement from rest")
      ->check(CLI::IsMember({"acceleration", "velocity", "displacement"}));
  sub->add_option("--scale", o->scale, "factor on every value (default 1)");
  sub->callback([o, &status] {
    if (o->to == "at2" && o->what != "acceleration") {
      throw CLI::ValidationError("--what", "at2 holds acceleration (in g) only");
    }
    if (!std::isfinite(o->scale)) throw CLI::ValidationError("--scale", "expected a finite factor");
    const wave_result r = read_wave(o->wave);
    if (!r.ok()) {
      std::cerr << describe(*r.error) << '\n';
      status = exit_bad_input;
      return;
    }
    const export_request x{layout_of(o->to), history_of(o->what), o->scale};
    const std::string title = std::filesystem::path(o->wave).filename().string();
    if (const auto e = write_atomically(o->output, export_text(r.w, x, title))) {
      std::cerr << describe(*e) << '\n';
      status = exit_bad_input;
      return;
    }
    status = 0;
  });
}

}  // namespace wavetool
