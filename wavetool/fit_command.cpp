#include <array>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "motion/design_fit.h"
#include "motion/fit.h"
#include "motion/target_grid.h"
#include "operations/check.h"
#include "operations/envelope_corners.h"
#include "operations/fit_files.h"
#include "operations/fit_job.h"
#include "operations/spectrum_request.h"
#include "operations/wave_file.h"
#include "waveio/text_fields.h"
#include "wavetool/command_line.h"
#include "wavetool/commands.h"

namespace wavetool {
namespace {

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
  std::string corners = corners_text();
  std::string max_iterations = std::to_string(motion::design_settings{}.max_iterations);
  std::string max_pgd;  // cm; empty: the target's plausible limit
  bool no_rest = false;
  bool keep_step = false;
  spectrum_keys keys;
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

// What the options ask of the fit; the options' checks have taken every text already.
fit_settings fit_settings_of(const fit_options& o) {
  fit_settings f;
  const std::array<double, 4> c = *corners_from_text(o.corners);
  f.design.corners = {static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2]),
                      static_cast<float>(c[3])};
  f.design.max_iterations = static_cast<std::int32_t>(*parse_whole(o.max_iterations));
  f.design.rest = !o.no_rest;
  f.keep_step = o.keep_step;
  if (!o.max_pgd.empty()) f.max_pgd = parse_real(o.max_pgd);
  return f;
}

std::string pgd_text(const motion::iteration_report& k) {
  char pgd[40];
  std::snprintf(pgd, sizeof pgd, "PGD %.1f cm", k.pgd);
  return pgd;
}

std::string given_pgd_limit(const motion::design_settings& settings) {
  return waveio::short_text(settings.max_pgd) + " cm (--max-pgd)";
}

// One check the written iteration k fails, as the verdict names it: its value against its limit.
std::string failed_text(const motion::failed_check& f, const motion::iteration_report& k,
                        const motion::design_settings& settings, bool pgd_given) {
  char part[80];
  switch (f.check) {
    case motion::fit_check::criterion: {
      const motion::criterion_rule& rule = motion::criteria_rules[f.criterion];
      std::snprintf(part, sizeof part, " criterion %zu %.6g %s %.2f;", f.criterion + 1,
                    static_cast<double>(motion::measure(k.measures, f.criterion)),
                    rule.compare == motion::comparison::at_least ? "<" : ">",
                    static_cast<double>(rule.limit));
      return part;
    }
    case motion::fit_check::rest:
      return " not at rest;";
    case motion::fit_check::displacement:
      if (pgd_given) return " " + pgd_text(k) + " > " + given_pgd_limit(settings) + ";";
      std::snprintf(part, sizeof part, " PGD %.1f cm > %.0f cm;", k.pgd, settings.max_pgd);
      return part;
  }
  return {};
}

// The verdict: what passed, or every check of the written iteration that failed with its value
// and its limit; with --keep-step at a coarse step, from which period the window is judged.
// named: the spectrum's description, empty for fitwave's target. pgd_given: the limit of the
// peak displacement is the engineer's (--max-pgd), named in the verdict as given.
std::string verdict_line(const motion::design_result& r, const motion::design_settings& settings,
                         const std::string& named, bool pgd_given) {
  const motion::iteration_report& k = r.kept;
  std::string s = (r.passed ? "passed after " : "not passed after ") +
                  std::to_string(r.last.iteration) +
                  (r.last.iteration == 1 ? " iteration" : " iterations") +
                  (named.empty() ? "" : " against " + named);
  std::string judged;
  if (const float shortest = motion::period_of(motion::omega_at(r.g.nom, r.g.dom));
      shortest > settings.judged.shortest) {
    char note[120];
    std::snprintf(note, sizeof note,
                  " (criteria 1, 3, 4 judged from %.4g s, the shortest period "
                  "of the step %.4g s)",
                  static_cast<double>(shortest), static_cast<double>(r.g.dt));
    judged = note;
  }
  if (r.passed) {
    const std::string within = pgd_given && settings.rest
                                   ? ", " + pgd_text(k) + " within " + given_pgd_limit(settings)
                                   : "";
    return s +
           (settings.rest ? ": all four criteria met, at rest"
                          : ": all four criteria met (rest not required)") +
           within + judged + "\n";
  }
  s += r.stopped_early ? " (no progress in " + std::to_string(settings.patience) + ")"
                       : std::string(" (the limit)");
  s += ", wrote iteration " + std::to_string(k.iteration) + ":";
  for (const motion::failed_check& f : r.failed) s += failed_text(f, k, settings, pgd_given);
  s.pop_back();  // the last ';'
  return s + judged + "\n";
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
                    shortest_text(motion::envelope_at(last, c)) + " at its last sample (" +
                    shortest_text(last) +
                    " s), before its decay, so the fitted wave does not end at zero");
  }
  if (c.te < 2.0f * w.dt) {
    notes.push_back("--corners end within the first two samples: the envelope is zero after " +
                    shortest_text(c.te) + " s, and so is the fitted wave");
  }
  return notes;
}

int run_fit(const fit_options& o, spectrum_request request) {
  auto spectrum_error = load_table(request);
  if (!spectrum_error) spectrum_error = uncovered_criteria(request);
  if (spectrum_error) {
    return bad_input(*spectrum_error);
  }
  const wave_result in = read_wave(o.wave);
  if (!in.ok()) {
    return bad_input(*in.error);
  }
  const std::string shown_name =
      o.wave == files::standard_stream ? std::string(files::standard_input_name) : o.wave;
  const fit_job_setup setup =
      set_up_fit(in.w, shown_name, request, fit_settings_of(o), "wavetool import --start/--end");
  if (!setup.ok()) {
    return bad_input(*setup.refused);
  }
  const fit_job& job = setup.job;
  // Every output is checked before the iterations, and written with the others or not at all.
  files::output_files outputs;
  for (const std::string& name : {o.output, o.spectra}) {
    if (name.empty()) continue;
    if (const auto e = outputs.add(name)) {
      return bad_input(*e);
    }
  }
  if (const std::string note = resampled_note(job.input); !note.empty()) {
    std::cerr << "wavetool: " << shown_name << note << '\n';
  }
  for (const std::string& note : envelope_notes(job.settings.corners, job.input.w)) {
    std::cerr << "wavetool: note: " << note << '\n';
  }
  std::ostream& console = outputs.to_standard_output() ? std::cerr : std::cout;
  std::string named;
  if (!motion::is_fitwave_target(request.spectrum)) {
    named = motion::description(request.spectrum);
    console << "fitting to " << named << '\n';
  }
  const fit_job_result r = run_fit_job(job, [&console](const motion::iteration_report& x) {
    console << progress_line(x) << std::flush;
  });
  const std::string table = o.spectra.empty() ? std::string() : spectra_table_text(r.fit, named);
  const std::string_view texts[] = {r.wave_text, table};
  if (const auto e = outputs.commit(texts)) {
    return bad_input(*e);
  }
  console << verdict_line(r.fit, job.settings, named, job.pgd_given);
  return r.fit.passed ? 0 : exit_not_passed;
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
      ->check(CLI::Validator(
          [](std::string& text) {
            return corners_from_text(text) ? std::string()
                                           : std::string("expected TB,TC,TD,TE with ") +
                                                 corners_rule + ", found " + waveio::quoted(text);
          },
          ""));
  sub->add_option("--max-iterations", o->max_iterations,
                  "most iterations (default " + o->max_iterations + ")")
      ->check(whole_in(1, most_iterations));
  sub->add_option("--max-pgd", o->max_pgd,
                  "largest peak displacement (cm) of a passing wave at rest; default 400, "
                  "raised in proportion for a target above the bedrock's at 10 s")
      ->check(real_with("a displacement above 0 (cm)", [](double x) { return x > 0.0; }));
  sub->add_flag("--no-rest", o->no_rest, "keep the drift: do not bring the wave to rest");
  sub->add_flag("--keep-step", o->keep_step,
                "fit at the wave's own step even when it is coarser than 0.01 s");
  add_spectrum_options(*sub, o->keys);
  sub->footer(criteria_help() +
              "A wave with a criterion that cannot be judged (no grid period in its window) is\n"
              "refused. WAVE - reads standard input; -o - writes the fitted wave to standard\n"
              "output, the progress then to standard error. Every output is written, or none.\n"
              "Exit status: 0 passed, 1 bad input, 2 usage, 3 not passed within\n"
              "--max-iterations or stopped without progress (the files are written all the same).");
  sub->callback([o, &status] {
    const spectrum_choice spectrum = spectrum_from_keys(o->keys);
    if (!spectrum.ok()) throw CLI::ValidationError(spectrum.error);
    status = run_fit(*o, spectrum.request);
  });
}

}  // namespace wavetool
