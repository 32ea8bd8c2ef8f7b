#include <cmath>
#include <iostream>
#include <memory>
#include <string>

#include "operations/export.h"
#include "operations/spectrum_request.h"
#include "waveio/exports.h"
#include "wavetool/command_line.h"
#include "wavetool/commands.h"

namespace wavetool {

void add_export_command(CLI::App& app, int& status) {
  struct options {
    std::string wave, to, output, what = "acceleration", scale = "1";
  };
  auto o = std::make_shared<options>();
  CLI::App* sub = app.add_subcommand(
      "export", "Write a wave for an analysis program: columns, OpenSees path values or PEER AT2");
  sub->add_option("WAVE", o->wave, "fitwave input layout or fitwave's fitted wave")->required();
  sub->add_option("--to", o->to, "columns (time and value), opensees (one value a line), at2 (g)")
      ->required()
      ->check(word_in(layout_names()));
  sub->add_option("-o,--output", o->output, "the file to write")->required();
  sub->add_option("--what", o->what, "acceleration (default), velocity or displacement from rest")
      ->check(word_in(history_names()));
  sub->add_option("--scale", o->scale, "factor on every value (default 1)")
      ->check(real_with("a finite factor", [](double) { return true; }));
  sub->footer(
      "The opensees layout holds the values alone, one a line, as OpenSees' Path time series\n"
      "reads a file; standard error gives its step and unit for the command, e.g.\n"
      "  timeSeries Path 1 -dt 0.01 -filePath x.txt -factor 1.0\n"
      "Values beyond single precision (3.4e38), or that would read back as 0, are refused.\n"
      "Exit status: 0 written, 1 bad input, 2 usage.");
  sub->callback([o, &status] {
    if (o->to == "at2" && o->what != "acceleration") {
      throw CLI::ValidationError("--what", "at2 holds acceleration (in g) only");
    }
    const wave_result r = read_wave(o->wave);
    if (!r.ok()) {
      status = bad_input(*r.error);
      return;
    }
    const export_request x{*layout_of(o->to), *history_of(o->what), *parse_real(o->scale)};
    const std::string unit = o->what == "acceleration" ? "gal"
                             : o->what == "velocity"   ? "cm/s"
                                                       : "cm";
    if (const auto why = unreadable_values(history_values(r.w, x.what, x.scale), unit)) {
      status = bad_input({o->wave, 0, "--scale " + o->scale + " gives " + *why});
      return;
    }
    const std::string title = std::filesystem::path(o->wave).filename().string();
    if (const auto e = files::write_atomically(o->output, export_text(r.w, x, title))) {
      status = bad_input(*e);
      return;
    }
    if (x.layout == export_layout::opensees) {
      // The file holds no header, so that every value is read: the step and unit are told here.
      std::cerr << describe({o->output, 0,
                             "dt " + waveio::step_text(export_step(r.w)) + " s, " +
                                 export_quantity(x) + ", one value a line"})
                << '\n';
    }
    status = 0;
  });
}

}  // namespace wavetool
