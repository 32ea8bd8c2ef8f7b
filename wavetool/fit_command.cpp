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
#include "motion/fit.h"
#include "motion/target_grid.h"
#include "operations/check.h"
#include "operations/fit_files.h"
#include "operations/fit_setup.h"
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

// The verdict: what passed, or every check of the written iteration that failed with its value
// and its limit; with --keep-step at a coarse step, from which period the window is judged.
// named: the spectrum's description, empty for fitwave's target. pgd_given: the limit of the
// peak displacement is the engineer's (--max-pgd), named in the verdict as given.
std::string verdict_line(const motion::design_result& r, const motion::design_settings& settings,
                         const std::string& named, bool pgd_given) {
  const motion::iteration_report& k = r.kept;
  const motion::criteria& c = k.measures;
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
  const std::string pgd_limit = waveio::short_text(settings.max_pgd) + " cm (--max-pgd)";
  char pgd[40];
  std::snprintf(pgd, sizeof pgd, "PGD %.1f cm", k.pgd);
  if (r.passed) {
    const std::string within =
        pgd_given && settings.rest ? ", " + std::string(pgd) + " within " + pgd_limit : "";
    return s +
           (settings.rest ? ": all four criteria met, at rest"
                          : ": all four criteria met (rest not required)") +
           within + judged + "\n";
  }
  s += r.stopped_early ? " (no progress in " + std::to_string(settings.patience) + ")"
                       : std::string(" (the limit)");
  s += ", wrote iteration " + std::to_string(k.iteration) + ":";
  for (std::size_t n = 0; n < motion::criteria_count; ++n) {
    const motion::criterion_rule& rule = motion::criteria_rules[n];
    const float value = motion::measure(c, n);
    if (motion::meets(rule, value)) continue;
    char part[80];
    std::snprintf(
        part, sizeof part, " criterion %zu %.6g %s %.2f;", n + 1, static_cast<double>(value),
        rule.compare == motion::comparison::at_least ? "<" : ">", static_cast<double>(rule.limit));
    s += part;
  }
  if (settings.rest && !motion::at_rest(k.end)) s += " not at rest;";
  if (settings.rest && !(k.pgd <= settings.max_pgd)) {
    char part[80];
    std::snprintf(part, sizeof part, " PGD %.1f cm > %.0f cm;", k.pgd, settings.max_pgd);
    s += pgd_given ? " " + std::string(pgd) + " > " + pgd_limit + ";" : std::string(part);
  }
  s.pop_back();  // the last ';'
  return s + judged + "\n";
}

// Why the wave cannot be fitted, in the user's terms, or nothing.
std::optional<file_error> refusal_of(const fit_input& in, const std::string& file,
                                     const motion::period_window& judged) {
  const wave& w = in.w;
  const auto nt = static_cast<std::int32_t>(std::min<std::size_t>(w.acc.size(), INT32_MAX));
  switch (motion::fit_refusal(nt, w.dt, judged)) {
    case motion::unfit_reason::too_many_samples:
      return file_error{file, 0, too_many_samples(in, "wavetool import --start/--end")};
    case motion::unfit_reason::empty_window: {
      return file_error{file, 0, unjudged_criterion(w, judged).value_or("")};
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
  const motion::period_window judged = criteria_window(request);
  const wave_result in = read_wave(o.wave);
  if (!in.ok()) {
    return bad_input(*in.error);
  }
  const std::string shown_name =
      o.wave == files::standard_stream ? std::string(files::standard_input_name) : o.wave;
  const fit_input prepared = fit_input_of(in.w, judged, o.keep_step);
  const wave& fitted_input = prepared.w;
  if (const auto refusal = refusal_of(prepared, shown_name, judged)) {
    // Told of the wave as given where it is refused already at its own step.
    return bad_input(refusal_of(fit_input{in.w}, shown_name, judged).value_or(*refusal));
  }
  const std::vector<double> c = *parse_reals(o.corners);
  const motion::corner_times corners{static_cast<float>(c[0]), static_cast<float>(c[1]),
                                     static_cast<float>(c[2]), static_cast<float>(c[3])};
  // Every output is checked before the iterations, and written with the others or not at all.
  files::output_files outputs;
  for (const std::string& name : {o.output, o.spectra}) {
    if (name.empty()) continue;
    if (const auto e = outputs.add(name)) {
      return bad_input(*e);
    }
  }
  if (const std::string note = resampled_note(prepared); !note.empty()) {
    std::cerr << "wavetool: " << shown_name << note << '\n';
  }
  for (const std::string& note : envelope_notes(corners, fitted_input)) {
    std::cerr << "wavetool: note: " << note << '\n';
  }
  std::ostream& console = outputs.to_standard_output() ? std::cerr : std::cout;
  motion::design_settings s;
  s.corners = corners;
  s.max_iterations = static_cast<std::int32_t>(*parse_whole(o.max_iterations));
  s.rest = !o.no_rest;
  const std::optional<double> max_pgd =
      o.max_pgd.empty() ? std::nullopt : std::optional<double>(parse_real(o.max_pgd));
  aim_at(s, request, prepared, max_pgd);
  std::string named;
  if (!motion::is_fitwave_target(request.spectrum)) {
    named = motion::description(request.spectrum);
    console << "fitting to " << named << '\n';
  }
  const motion::design_result r = motion::design_fit(
      fitted_input.acc, fitted_input.dt, s,
      [&console](const motion::iteration_report& x) { console << progress_line(x) << std::flush; });
  const std::string wave_text = fitted_wave_text(r);
  const std::string table = o.spectra.empty() ? std::string() : spectra_table_text(r, named);
  const std::string_view texts[] = {wave_text, table};
  if (const auto e = outputs.commit(texts)) {
    return bad_input(*e);
  }
  console << verdict_line(r, s, named, max_pgd.has_value());
  return r.passed ? 0 : exit_not_passed;
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
            const auto v = parse_reals(text);
            return v && ordered_corners(*v) ? std::string()
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
