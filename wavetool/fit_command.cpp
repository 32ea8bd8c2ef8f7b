#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "motion/design_fit.h"
#include "numeric/design.h"
#include "wavetool/check.h"
#include "wavetool/commands.h"
#include "wavetool/fit_files.h"
#include "wavetool/wave_file.h"

namespace wavetool {
namespace {

// The iteration limit came first: the files are written all the same.
constexpr int exit_limit_reached = 3;

std::vector<float> corners_of(const motion::corner_times& c) {
  return {c.tb, c.tc, c.td, c.te};
}

std::string corners_text() {
  std::string s;
  for (const float c : corners_of(motion::corner_times{}))
    s += (s.empty() ? "" : ",") + shortest_text(c);
  return s;
}

struct fit_options {
  std::string wave;
  std::string output;
  std::string spectra;
  std::vector<float> corners = corners_of(motion::corner_times{});
  int max_iterations = 30;
  bool no_rest = false;
};

std::string progress_line(const motion::iteration_report& x) {
  char line[200];
  const motion::criteria& c = x.measures;
  const int n = std::snprintf(line, sizeof line,
                              "iteration %2d  cr1 %.4f  cr2 %.4f  cr3 %.4f  cr4 %.4f  end v %+.4f "
                              "cm/s  end d %+.4f cm  PGV %.2f cm/s  PGD %.2f cm\n",
                              x.iteration, static_cast<double>(c.cr1), static_cast<double>(c.cr2),
                              static_cast<double>(c.cr3), static_cast<double>(c.cr4),
                              x.end.velocity, x.end.displacement, x.pgv, x.pgd);
  return {line, static_cast<std::size_t>(n)};
}

// The verdict: what passed, or every criterion that failed with its value and its limit.
std::string verdict_line(const motion::design_result& r, bool rest) {
  const motion::criteria& c = r.last.measures;
  std::string s = (r.passed ? "passed after " : "not passed after ") +
                  std::to_string(r.last.iteration) +
                  (r.last.iteration == 1 ? " iteration" : " iterations");
  if (r.passed) {
    return s + (rest ? ": all four criteria met, at rest\n"
                     : ": all four criteria met (rest not required)\n");
  }
  s += " (the limit):";
  for (std::size_t k = 0; k < motion::criteria_count; ++k) {
    const motion::criterion_rule& rule = motion::criteria_rules[k];
    const float value = motion::measure(c, k);
    if (motion::meets(rule, value)) continue;
    char part[80];
    std::snprintf(
        part, sizeof part, " criterion %zu %.6g %s %.2f;", k + 1, static_cast<double>(value),
        rule.compare == motion::comparison::at_least ? "<" : ">", static_cast<double>(rule.limit));
    s += part;
  }
  if (rest && !motion::at_rest(r.last.end)) s += " not at rest;";
  s.back() = '\n';
  return s;
}

// Why the wave cannot be fitted, in the user's terms, or nothing.
std::optional<file_error> refusal_of(const wave& w, const std::string& file) {
  const auto nt = static_cast<std::int32_t>(std::min<std::size_t>(w.acc.size(), INT32_MAX));
  switch (motion::fit_refusal(nt, w.dt)) {
    case motion::unfit_reason::too_many_samples:
      return file_error{file, 0,
                        "expected at most " + std::to_string(motion::max_transform_length) +
                            " samples, found " + std::to_string(w.acc.size()) +
                            " (cut a window with wavetool import --start/--end)"};
    case motion::unfit_reason::empty_window: {
      const std::array<bool, motion::criteria_count> held =
          motion::computable(motion::make_grid(nt, w.dt, motion::transform_length(nt).nf));
      std::size_t k = 0;
      while (held[k]) ++k;
      const motion::period_window& p = motion::criteria_rules[k].window;
      return file_error{file, 0,
                        "criterion " + std::to_string(k + 1) + " cannot be judged: no period of " +
                            std::to_string(nt) + " samples at " + shortest_text(w.dt) +
                            " s lies in its window " + shortest_text(p.shortest) + ".." +
                            shortest_text(p.longest) + " s"};
    }
    default:  // the reader has refused a wave of fewer than 2 samples or a bad step
      return std::nullopt;
  }
}

// What the envelope does with corners that do not frame the wave: they are taken as given, and
// the user is told.
std::vector<std::string> envelope_notes(const motion::corner_times& c, const wave& w) {
  std::vector<std::string> notes;
  if (c.tb == 0.0f) {
    notes.push_back(
        "--corners with TB = 0: the envelope is 1 at t = 0, so the fitted wave "
        "does not start from zero");
  }
  const float last = static_cast<float>(w.acc.size() - 1) * w.dt;
  if (last < c.td) {
    notes.push_back("--corners end after the wave: the envelope is " +
                    shortest_text(numeric::envamp(last, c.tb, c.tc, c.td, c.te)) +
                    " at its last sample (" + shortest_text(last) +
                    " s), before its decay, so the fitted wave does not end at zero");
  }
  if (c.te < 2.0f * w.dt) {
    notes.push_back("--corners end within the first two samples: the envelope is zero after " +
                    shortest_text(c.te) + " s, and so is the fitted wave");
  }
  return notes;
}

int run_fit(const fit_options& o) {
  const wave_result in = read_wave(o.wave);
  if (!in.ok()) {
    std::cerr << describe(*in.error) << '\n';
    return exit_bad_input;
  }
  const std::string shown_name =
      o.wave == standard_stream ? std::string(standard_input_name) : o.wave;
  if (const auto refusal = refusal_of(in.w, shown_name)) {
    std::cerr << describe(*refusal) << '\n';
    return exit_bad_input;
  }
  const motion::corner_times corners{o.corners[0], o.corners[1], o.corners[2], o.corners[3]};
  // Every output is checked before the iterations, and written with the others or not at all.
  output_files outputs;
  for (const std::string& name : {o.output, o.spectra}) {
    if (name.empty()) continue;
    if (const auto e = outputs.add(name)) {
      std::cerr << describe(*e) << '\n';
      return exit_bad_input;
    }
  }
  for (const std::string& note : envelope_notes(corners, in.w)) {
    std::cerr << "wavetool: note: " << note << '\n';
  }
  std::ostream& console = outputs.to_standard_output() ? std::cerr : std::cout;
  motion::design_settings s;
  s.corners = corners;
  s.max_iterations = o.max_iterations;
  s.rest = !o.no_rest;
  const motion::design_result r = motion::design_fit(
      in.w.acc, in.w.dt, s,
      [&console](const motion::iteration_report& x) { console << progress_line(x) << std::flush; });
  const std::string wave = fitted_wave_text(r);
  const std::string table = o.spectra.empty() ? std::string() : spectra_table_text(r);
  const std::string_view texts[] = {wave, table};
  if (const auto e = outputs.commit(texts)) {
    std::cerr << describe(*e) << '\n';
    return exit_bad_input;
  }
  console << verdict_line(r, s.rest);
  return r.passed ? 0 : exit_limit_reached;
}

}  // namespace

void add_fit_command(CLI::App& app, int& status) {
  auto o = std::make_shared<fit_options>();
  CLI::App* sub = app.add_subcommand(
      "fit", "Fit a wave to the design spectrum until all four criteria pass, at rest");
  sub->add_option("WAVE", o->wave, "fitwave input layout or fitwave's fitted wave")->required();
  sub->add_option("-o,--output", o->output, "the fitted wave to write (fitwave's layout)")
      ->required();
  sub->add_option("--spectra", o->spectra, "also write the target, input and final spectra");
  sub->add_option("--corners", o->corners,
                  "envelope corner times TB,TC,TD,TE (s), default " + corners_text())
      ->delimiter(',')
      ->expected(4);
  sub->add_option("--max-iterations", o->max_iterations, "most iterations (default 30)")
      ->check(CLI::Range(1, 1000));
  sub->add_flag("--no-rest", o->no_rest, "keep the drift: do not bring the wave to rest");
  sub->footer(criteria_help() +
              "A wave with a criterion that cannot be judged (no grid period in its window) is\n"
              "refused. WAVE - reads standard input; -o - writes the fitted wave to standard\n"
              "output, the progress then to standard error. Every output is written, or none.\n"
              "Exit status: 0 passed, 1 bad input, 2 usage, 3 not passed within\n"
              "--max-iterations (the files are written all the same).");
  sub->callback([o, &status] {
    const std::vector<float>& c = o->corners;
    const bool finite = std::isfinite(c[0]) && std::isfinite(c[3]);
    if (!finite || !(0.0f <= c[0] && c[0] <= c[1] && c[1] <= c[2] && c[2] <= c[3] && c[3] > 0.0f)) {
      throw CLI::ValidationError("--corners", "expected 0 <= TB <= TC <= TD <= TE, TE > 0");
    }
    status = run_fit(*o);
  });
}

}  // namespace wavetool
