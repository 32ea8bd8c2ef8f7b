#include <cmath>
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "motion/seed_wave.h"
#include "operations/envelope_corners.h"
#include "operations/spectrum_request.h"
#include "operations/wave_file.h"
#include "waveio/seed_file.h"
#include "waveio/text_fields.h"
#include "wavetool/command_line.h"
#include "wavetool/commands.h"

namespace wavetool {
namespace {

constexpr std::int32_t default_samples = motion::default_seed_samples;
constexpr double default_dt = motion::default_seed_dt;
constexpr double max_dt = motion::max_seed_dt;

struct seed_options {
  spectrum_keys keys;
  std::string seed;
  std::string samples;
  std::string duration;
  std::string dt;
  std::string corners;
  std::string output;
};

// What the options describe, once checked: the grid, the corners and the spectrum.
struct seed_plan {
  motion::seed_grid grid;
  motion::seed_corners corners;
  spectrum_request request;
};

seed_plan checked_plan(const seed_options& o, const CLI::App& sub) {
  seed_plan p;
  const spectrum_choice c = spectrum_from_keys(o.keys);
  if (!c.ok()) throw CLI::ValidationError(c.error);
  p.request = c.request;
  double dt = default_dt;
  if (!o.dt.empty()) {
    const auto v = parse_real(o.dt);
    if (!v || !(*v > 0.0 && *v <= max_dt))
      throw CLI::ValidationError("--dt", "expected 0 < DT <= 0.1 (s), found \"" + o.dt + "\"");
    if (!waveio::seed_step_decimals(*v)) {
      throw CLI::ValidationError(
          "--dt", "expected a step the file's time column holds with at most " +
                      std::to_string(waveio::max_seed_decimals) + " decimals, found \"" + o.dt +
                      "\"");
    }
    dt = *v;
  }
  double samples = default_samples;
  if (!o.samples.empty()) {
    const auto n = parse_whole(o.samples);
    samples = n ? static_cast<double>(*n) : 0.0;
  }
  const char* length_option = "--samples";
  if (sub.count("--duration") > 0) {
    const auto v = parse_real(o.duration);
    samples = v ? std::round(*v / dt) : 0.0;
    length_option = "--duration";
  }
  if (!(samples >= motion::min_seed_samples && samples <= motion::max_seed_samples)) {
    throw CLI::ValidationError(length_option,
                               "expected " + std::to_string(motion::min_seed_samples) + " to " +
                                   std::to_string(motion::max_seed_samples) + " samples of " +
                                   waveio::short_text(dt) + " s");
  }
  p.grid = motion::make_seed_grid(static_cast<std::int32_t>(samples), dt);
  p.corners = motion::default_corners(p.grid);
  const double end = p.corners.te;
  if (o.corners.empty()) {
    if (end < p.corners.td) {
      throw CLI::ValidationError(
          "--corners", "required for a wave shorter than 60 s (" + waveio::short_text(end) + " s)");
    }
    return p;
  }
  const auto corners = corners_from_text(o.corners);
  if (!corners) throw CLI::ValidationError("--corners", std::string("expected ") + corners_rule);
  p.corners = {(*corners)[0], (*corners)[1], (*corners)[2], (*corners)[3]};
  return p;
}

int run_seed(const seed_options& o, seed_plan p) {
  if (const auto e = load_table(p.request)) {
    return bad_input(*e);
  }
  const motion::seed_grid& g = p.grid;
  if (!motion::covers_seed(p.request.spectrum, g)) {
    return bad_input({p.request.table_file, 0,
                      table_periods_text(p.request.spectrum) + " do not reach the seed's " +
                          waveio::short_text(2.0 * g.dt) + " to " + waveio::short_text(g.dur) +
                          " s" + std::string(never_extrapolated)});
  }
  const std::vector<double> acc = motion::draw_seed(static_cast<std::int32_t>(*parse_whole(o.seed)),
                                                    g, p.request.spectrum, p.corners);
  if (const auto e = files::write_atomically(o.output, waveio::seed_file_text(acc, g.dt))) {
    return bad_input(*e);
  }
  return 0;
}

}  // namespace

void add_seed_command(CLI::App& app, int& status) {
  auto o = std::make_shared<seed_options>();
  CLI::App* sub = app.add_subcommand(
      "seed",
      "Draw a random-phase seed wave for a design spectrum, seedwave's method at any length");
  sub->add_option("--seed", o->seed,
                  "the number that draws the phases, " + std::to_string(motion::min_seed_number) +
                      " to " + std::to_string(motion::max_seed_number))
      ->required()
      ->check(whole_in(motion::min_seed_number, motion::max_seed_number));
  add_spectrum_options(*sub, o->keys);
  CLI::Option* samples =
      sub->add_option("--samples", o->samples,
                      "samples, " + std::to_string(motion::min_seed_samples) + " to " +
                          std::to_string(motion::max_seed_samples) + " (default " +
                          std::to_string(motion::default_seed_samples) + ")");
  sub->add_option("--duration", o->duration, "length S (s), instead of --samples")
      ->excludes(samples);
  sub->add_option("--dt", o->dt, "time step (s), default 0.01");
  sub->add_option("--corners", o->corners,
                  "envelope corner times TB,TC,TD,TE (s), default 4,35,60 and the end");
  sub->add_option("-o,--output", o->output, "the seed file to write (fitwave's input layout)")
      ->required();
  sub->callback([o, sub, &status] { status = run_seed(*o, checked_plan(*o, *sub)); });
}

}  // namespace wavetool
