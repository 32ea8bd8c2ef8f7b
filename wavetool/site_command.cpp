#include <cmath>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "motion/measures.h"
#include "operations/fit_files.h"
#include "operations/site_job.h"
#include "operations/site_results.h"
#include "operations/spectrum_request.h"
#include "operations/wave_file.h"
#include "site/analysis.h"
#include "suite/profile.h"
#include "waveio/text_fields.h"
#include "wavetool/command_line.h"
#include "wavetool/commands.h"

namespace wavetool {
namespace {

struct site_options {
  std::string profile, wave, output;
  std::string input = "outcrop", input_depth, at, motion = "within";
  std::string results;
  bool json = false;
};

site::motion_kind kind_of(const std::string& word) {
  return word == "outcrop" ? site::motion_kind::outcrop : site::motion_kind::within;
}

int run_site(const site_options& o) {
  const profile_read p = read_profile(o.profile);
  if (!p.ok()) {
    return bad_input(*p.error);
  }
  const wave_result in = read_wave(o.wave);
  if (!in.ok()) {
    return bad_input(*in.error);
  }
  const std::string shown_wave =
      o.wave == files::standard_stream ? std::string(files::standard_input_name) : o.wave;
  if (const auto why = unwritable_step(in.w.dt)) {
    return bad_input({shown_wave, 0, *why});
  }
  files::output_files outputs;
  for (const std::string& name : {o.output, o.results}) {
    if (name.empty()) continue;
    if (const auto e = outputs.add(name)) {
      return bad_input(*e);
    }
  }
  site_points points;
  points.input_kind = kind_of(o.input);
  if (!o.input_depth.empty()) points.input_depth = parse_real(o.input_depth);
  points.output_kind = kind_of(o.motion);
  if (!o.at.empty()) points.output_depth = *parse_real(o.at);
  const site::site_profile& profile = p.profile;
  const site_run run = run_site_analysis(profile, in.w, points);
  const site::site_response& r = run.response;
  if (run.failure) return bad_input({o.profile, 0, *run.failure + "; nothing written"});
  const std::string& wave_text = run.wave_text;
  const motion::motion_summary& measures = run.measures;
  const std::string table = o.results.empty() ? std::string() : site_table_text(profile, r);
  const std::string_view texts[] = {wave_text, table};
  if (const auto e = outputs.commit(texts)) {
    return bad_input(*e);
  }
  for (const std::string& note : beyond_table_notes(profile, r)) {
    std::cerr << "wavetool: note: " << note << '\n';
  }
  if (o.json) std::cout << site_json_text(profile, r, measures);
  const std::string verdict = site_verdict(profile, r);
  if (!r.converged) {
    std::cerr << "wavetool: " << o.profile << ": " << verdict;
    return exit_not_passed;
  }
  (o.json || outputs.to_standard_output() ? std::cerr : std::cout) << verdict;
  return 0;
}

}  // namespace

void add_site_command(CLI::App& app, int& status) {
  auto o = std::make_shared<site_options>();
  CLI::App* sub = app.add_subcommand(
      "site", "Take a wave through a site's soil column (equivalent-linear site response)");
  sub->add_option("PROFILE", o->profile, "the site's profile (TOML)")->required();
  sub->add_option("WAVE", o->wave, "fitwave input layout or fitwave's fitted wave (gal)")
      ->required();
  sub->add_option("-o,--output", o->output, "the motion to write (the fitted wave's layout)")
      ->required();
  const auto depth = [] {
    return real_with("a depth of 0 m or more", [](double x) { return x >= 0.0; });
  };
  sub->add_option("--input", o->input,
                  "outcrop (default: as were the rock exposed) or within (recorded in the ground)")
      ->check(word_in({"outcrop", "within"}));
  sub->add_option("--input-depth", o->input_depth,
                  "depth of the input motion (m); default the top of the bedrock")
      ->check(depth());
  sub->add_option("--at", o->at, "depth of the output motion (m); default the surface")
      ->check(depth());
  sub->add_option("--motion", o->motion, "the output motion: within (default) or outcrop")
      ->check(word_in({"within", "outcrop"}));
  sub->add_option("--profile", o->results, "also write the results per sublayer (CSV)");
  sub->add_flag("--json", o->json, "the results as one JSON object on standard output");
  sub->footer(
      "WAVE - reads standard input; -o - writes the motion to standard output (not with --json).\n"
      "Every output is written, or none.\n"
      "Exit status: 0 converged, 1 bad input or a failed analysis (a peak strain beyond 10 %),\n"
      "2 usage, 3 not converged within max_iterations (the files are written all the same).");
  sub->callback([o, &status] {
    if (o->profile == files::standard_stream && o->wave == files::standard_stream) {
      throw CLI::ValidationError("PROFILE", "PROFILE and WAVE cannot both be standard input");
    }
    if (o->json && o->output == files::standard_stream) {
      throw CLI::ValidationError("--json", "the JSON and -o - both take standard output");
    }
    status = run_site(*o);
  });
}

}  // namespace wavetool
