#include <cmath>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "motion/measures.h"
#include "operations/export.h"
#include "operations/fit_files.h"
#include "operations/spectrum_request.h"
#include "operations/wave_file.h"
#include "operations/wave_scaling.h"
#include "waveio/text_fields.h"
#include "wavetool/command_line.h"
#include "wavetool/commands.h"

namespace wavetool {
namespace {

struct scale_options {
  std::string wave, output, pgv, pga, factor;
};

// The measure the factor is taken from and the option that asked for it.
struct scale_aim {
  scale_measure measure;
  std::string option, value;
};

scale_aim aim_of(const scale_options& o) {
  if (!o.pgv.empty()) return {scale_measure::pgv, "--pgv", o.pgv};
  if (!o.pga.empty()) return {scale_measure::pga, "--pga", o.pga};
  return {scale_measure::factor, "--factor", o.factor};
}

int run_scale(const scale_options& o) {
  const wave_result in = read_wave(o.wave);
  if (!in.ok()) {
    return bad_input(*in.error);
  }
  const std::string shown =
      o.wave == files::standard_stream ? std::string(files::standard_input_name) : o.wave;
  const auto refuse = [&shown](const std::string& why) { return bad_input({shown, 0, why}); };
  const scale_aim aim = aim_of(o);
  const scaling_result r =
      scale_wave(in.w, {aim.measure, *parse_real(aim.value)}, aim.option + " " + aim.value);
  if (!r.scaled) return refuse(*r.refused);
  const scaled_wave& scaled = *r.scaled;
  files::output_files outputs;
  if (auto e = outputs.add(o.output)) {
    return bad_input(*e);
  }
  const std::string_view texts[] = {scaled.text};
  if (auto e = outputs.commit(texts)) {
    return bad_input(*e);
  }
  const motion::motion_summary& after = scaled.measures;
  (outputs.to_standard_output() ? std::cerr : std::cout)
      << "scaled by " << waveio::short_text(scaled.factor) << ": PGA "
      << waveio::short_text(after.pga) << " gal, PGV " << waveio::short_text(after.pgv)
      << " cm/s as written\n";
  return 0;
}

}  // namespace

void add_scale_command(CLI::App& app, int& status) {
  auto o = std::make_shared<scale_options>();
  CLI::App* sub = app.add_subcommand(
      "scale", "Scale a wave to a peak ground velocity or acceleration, or by a factor");
  sub->add_option("WAVE", o->wave, "fitwave input layout or fitwave's fitted wave (gal)")
      ->required();
  sub->add_option("-o,--output", o->output, "the scaled wave to write (the fitted wave's layout)")
      ->required();
  CLI::Option* pgv =
      sub->add_option("--pgv", o->pgv, "peak ground velocity (cm/s) from rest, as check gives it")
          ->check(real_with("a velocity above 0 (cm/s)", [](double x) { return x > 0.0; }));
  CLI::Option* pga =
      sub->add_option("--pga", o->pga, "peak ground acceleration (gal)")
          ->check(real_with("an acceleration above 0 (gal)", [](double x) { return x > 0.0; }));
  CLI::Option* factor = sub->add_option("--factor", o->factor, "factor on every value")
                            ->check(real_with(factor_rule, usable_factor));
  pgv->excludes(pga)->excludes(factor);
  pga->excludes(pgv)->excludes(factor);
  factor->excludes(pgv)->excludes(pga);
  sub->footer(
      "Exactly one of --pgv, --pga, --factor. The wave is written at its own step and samples\n"
      "with four significant digits a value, so a peak velocity is met to within that rounding.\n"
      "Values beyond single precision (3.4e38), or that would read back as 0, are refused.\n"
      "WAVE - reads standard input; -o - writes to standard output.\n"
      "Exit status: 0 written, 1 bad input, 2 usage.");
  sub->callback([o, &status] {
    if (o->pgv.empty() && o->pga.empty() && o->factor.empty()) {
      throw CLI::ValidationError("scale", "give one of --pgv, --pga or --factor");
    }
    status = run_scale(*o);
  });
}

}  // namespace wavetool
