#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "motion/design_fit.h"
#include "motion/resample.h"
#include "wavetool/commands.h"
#include "wavetool/fit_files.h"
#include "wavetool/wave_file.h"

namespace wavetool {
namespace {

// The iteration limit came first: the files are written all the same.
constexpr int exit_limit_reached = 3;

struct fit_options {
  std::string wave;
  std::string output;
  std::string spectra;
  std::vector<float> corners{4.0f, 35.0f, 60.0f, 80.0f};
  int max_iterations = 30;
  bool no_rest = false;
  bool keep_step = false;
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

// The verdict: what passed, or every check of the written iteration that failed with its value
// and its limit; with --keep-step at a coarse step, from which period the window is judged.
std::string verdict_line(const motion::design_result& r, const motion::design_settings& settings) {
  const motion::iteration_report& k = r.kept;
  const motion::criteria& c = k.measures;
  const motion::criteria_verdict v = motion::judge(c);
  std::string s = (r.passed ? "passed after " : "not passed after ") +
                  std::to_string(r.last.iteration) +
                  (r.last.iteration == 1 ? " iteration" : " iterations");
  std::string judged;
  if (const float shortest = motion::period_of(motion::omega_at(r.g.nom, r.g.dom));
      shortest > motion::window_shortest_period) {
    char note[120];
    std::snprintf(note, sizeof note,
                  " (criteria 1, 3, 4 judged from %.4g s, the shortest period "
                  "of the step %.4g s)",
                  static_cast<double>(shortest), static_cast<double>(r.g.dt));
    judged = note;
  }
  if (r.passed) {
    return s +
           (settings.rest ? ": all four criteria met, at rest"
                          : ": all four criteria met (rest not required)") +
           judged + "\n";
  }
  s += r.stopped_early ? " (no progress in " + std::to_string(settings.patience) + ")"
                       : std::string(" (the limit)");
  s += ", wrote iteration " + std::to_string(k.iteration) + ":";
  const auto add = [&s](bool ok, int n, float value, const char* relation, float limit) {
    if (ok) return;
    char part[80];
    std::snprintf(part, sizeof part, " criterion %d %.6g %s %.2f;", n, static_cast<double>(value),
                  relation, static_cast<double>(limit));
    s += part;
  };
  add(v.cr1, 1, c.cr1, "<", motion::cr1_limit);
  add(v.cr2, 2, c.cr2, "<", motion::cr2_limit);
  add(v.cr3, 3, c.cr3, ">", motion::cr3_limit);
  add(v.cr4, 4, c.cr4, "<", motion::cr4_limit);
  if (settings.rest && !motion::at_rest(k.end)) s += " not at rest;";
  if (settings.rest && !(k.pgd <= settings.max_pgd)) {
    char part[80];
    std::snprintf(part, sizeof part, " PGD %.1f cm > %.0f cm;", k.pgd, settings.max_pgd);
    s += part;
  }
  s.pop_back();  // the last ';'
  return s + judged + "\n";
}

int run_fit(const fit_options& o) {
  const wave_result in = read_wave(o.wave);
  if (!in.ok()) {
    std::cerr << describe(*in.error) << '\n';
    return exit_bad_input;
  }
  const motion::fit_step step =
      motion::fit_step_for(in.w.dt, motion::window_shortest_period, o.keep_step);
  const std::vector<float> acc =
      step.factor == 1 ? in.w.acc : motion::resample(in.w.acc, step.factor);
  if (step.factor != 1) {
    char note[200];
    std::snprintf(note, sizeof note,
                  ": step %.6g s is coarser than half the window's shortest period: resampled "
                  "to %.6g s by band-limited interpolation, fitted and written at that step",
                  static_cast<double>(in.w.dt), static_cast<double>(step.dt));
    std::cerr << "wavetool: " << o.wave << note << '\n';
  }
  if (motion::transform_length(static_cast<std::int32_t>(acc.size())).nf == 0) {
    std::cerr << describe({o.wave, 0,
                           "expected at most " + std::to_string(motion::max_transform_length) +
                               " samples, found " + std::to_string(acc.size()) +
                               " (cut a window with wavetool import --start/--end)"})
              << '\n';
    return exit_bad_input;
  }
  motion::design_settings s;
  s.corners = {o.corners[0], o.corners[1], o.corners[2], o.corners[3]};
  s.max_iterations = o.max_iterations;
  s.rest = !o.no_rest;
  if (step.factor != 1) s.recorded_step = in.w.dt;
  const motion::design_result r = motion::design_fit(
      acc, step.dt, s,
      [](const motion::iteration_report& x) { std::cout << progress_line(x) << std::flush; });
  if (const auto e = write_atomically(o.output, fitted_wave_text(r))) {
    std::cerr << describe(*e) << '\n';
    return exit_bad_input;
  }
  if (!o.spectra.empty()) {
    if (const auto e = write_atomically(o.spectra, spectra_table_text(r))) {
      std::cerr << describe(*e) << '\n';
      return exit_bad_input;
    }
  }
  std::cout << verdict_line(r, s);
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
                  "envelope corner times TB,TC,TD,TE (s), default 4,35,60,80")
      ->delimiter(',')
      ->expected(4);
  sub->add_option("--max-iterations", o->max_iterations, "most iterations (default 30)")
      ->check(CLI::Range(1, 1000));
  sub->add_flag("--no-rest", o->no_rest, "keep the drift: do not bring the wave to rest");
  sub->add_flag("--keep-step", o->keep_step,
                "fit at the wave's own step even when it is coarser than 0.01 s");
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
