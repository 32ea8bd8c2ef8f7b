#include <chrono>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "operations/check.h"
#include "operations/export.h"
#include "operations/wave_scaling.h"
#include "report/report.h"
#include "suite/suite.h"
#include "suite/suite_checks.h"
#include "waveio/text_fields.h"
#include "wavetool/command_line.h"
#include "wavetool/commands.h"

namespace wavetool {
namespace {

struct suite_options {
  std::string plan;
  std::string out;
  int jobs = 0;
  int threads = 0;  // engine threads per fit; 0: the cores shared out among the fits at once
  bool list = false;
  std::string only;
  bool report_only = false;
  std::string program;
};

// A record refused as a whole is told at the plan's line of its key; a fault at a line of the
// record names that line of the record.
file_error plan_line_of(const plan& p, const plan_wave& w, const file_error& e) {
  const record_source* rec = std::get_if<record_source>(&w.source);
  if (!rec || e.line != 0) return e;
  return {p.file.string(), rec->line, "record " + waveio::quoted(e.file) + ": " + e.message};
}

// "K of N fits passed", naming those that did not, then the waves scaled instead and the sites
// that did not converge.
std::string final_line(const plan& p, std::span<const fit_item> fits,
                       std::span<const fit_summary> results, const std::string& written) {
  std::string failed, unsettled;
  std::size_t passed = 0, scaled = 0;
  const auto add = [](std::string& list, const std::string& name) {
    list += (list.empty() ? "" : ", ") + name;
  };
  for (std::size_t k = 0; k < results.size(); ++k) {
    if (results[k].scaled) {
      ++scaled;
    } else if (results[k].passed) {
      ++passed;
    } else {
      add(failed, fit_name(p, fits[k]));
    }
    if (results[k].site && !results[k].site->converged) add(unsettled, fit_name(p, fits[k]));
  }
  // Waves that are all scaled make no fits to count.
  const std::size_t fitted = results.size() - scaled;
  std::string line = fitted ? std::to_string(passed) + " of " + std::to_string(fitted) +
                                  " fits passed" + (failed.empty() ? "" : "; not passed: " + failed)
                            : "";
  if (scaled) line += (fitted ? "; " : "") + std::to_string(scaled) + " " + status_scaled;
  return line + (unsettled.empty() ? "" : "; site not converged: " + unsettled) + written + "\n";
}

// Whether every fit passed and every site converged.
bool all_passed(std::span<const fit_summary> results) {
  return std::all_of(results.begin(), results.end(), [](const fit_summary& s) {
    return (s.passed || s.scaled) && (!s.site || s.site->converged);
  });
}

// written: whether the fit's files are there; a fit that is not is never told as passed.
std::string progress_line(std::size_t done, std::size_t total, const std::string& name,
                          const suite_fit& f, bool written, double elapsed) {
  const double left = elapsed / static_cast<double>(done) * static_cast<double>(total - done);
  const fit_job_result& r = f.result;
  std::string what = !written       ? "not written"
                     : f.scaled     ? status_scaled
                     : r.fit.passed ? status_passed
                                    : status_not_passed;
  if (!f.scaled) {
    const int n = r.fit.last.iteration;
    what += " after " + std::to_string(n) + " iteration" + (n == 1 ? "" : "s");
  }
  if (written && f.site_result) {
    what += f.site_result->failure     ? ", site failed"
            : f.site_result->converged ? ", site converged"
                                       : ", site not converged";
  }
  char line[300];
  std::snprintf(line, sizeof line, "[%zu/%zu] %s %s, %.1f s, about %.0f s left\n", done, total,
                name.c_str(), what.c_str(), elapsed, left);
  return line;
}

// The fit's files beside each other: the wave, its result and its exports.
std::optional<file_error> write_fit(const std::filesystem::path& dir, const plan& p,
                                    const suite_fit& f) {
  // A link in the suite's folder is replaced, never written through.
  if (const auto e = files::write_atomically(fit_file(dir, p, f.item, ".csv"), f.result.wave_text,
                                             files::at_link::replace))
    return e;
  const wave_result written = parse_wave(f.result.wave_text, "fitted");
  for (const export_layout layout : f.used.exports.value_or(std::vector<export_layout>{})) {
    const export_request x{layout, history::acceleration, 1.0};
    const auto file = fit_file(dir, p, f.item, std::string(export_extension(x.layout)));
    if (const auto e = files::write_atomically(file, export_text(written.w, x, fit_name(p, f.item)),
                                               files::at_link::replace)) {
      return e;
    }
  }
  if (f.site_result && !f.site_result->failure) {
    const site_texts& t = f.site_result->texts;
    for (const auto& [ending, text] : {std::pair{".csv", &t.wave}, std::pair{".json", &t.json}}) {
      if (const auto e = files::write_atomically(site_file(dir, p, f.item, ending), *text,
                                                 files::at_link::replace))
        return e;
    }
  }
  return files::write_atomically(fit_file(dir, p, f.item, ".json"),
                                 fit_result_json(p, f.item, f.result), files::at_link::replace);
}

// The summaries and the report from the fits' result files; the exit status.
// Each result is verified against the plan and its wave, never taken on its word.
// computed: the site files this run wrote, by target and wave; the others are computed again.
int gather(const plan& p, const std::vector<fit_item>& fits, const std::filesystem::path& dir,
           const std::map<std::pair<std::size_t, std::size_t>, site_texts>& computed = {}) {
  std::vector<fit_summary> results;
  for (const fit_item& f : fits) {
    file_error e;
    const auto known = computed.find({f.target, f.wave});
    auto s = verified_result(dir, p, f, e, known == computed.end() ? nullptr : &known->second);
    if (!s) return bad_input(e);
    results.push_back(std::move(*s));
  }
  if (const auto e = files::write_atomically(dir / "summary.csv", summary_csv(results),
                                             files::at_link::replace))
    return bad_input(*e);
  if (const auto e = files::write_atomically(dir / "summary.json", summary_json(results),
                                             files::at_link::replace))
    return bad_input(*e);
  // The last run's page would describe other fits; until the new one is drawn there is none.
  std::error_code ec;
  std::filesystem::remove(dir / "report.html", ec);
  const report_result report = report_page(p, fits, results, dir, version);
  std::string written = ": " + (dir / "summary.csv").string();
  if (report.error) return bad_input(*report.error);
  if (report.needs) {
    std::cerr << *report.needs << '\n';
  } else {
    if (const auto e =
            files::write_atomically(dir / "report.html", report.html, files::at_link::replace))
      return bad_input(*e);
    written += ", " + (dir / "report.html").string();
  }
  tidy_folder(sweep_folder(dir, p, fits, true));
  std::cout << final_line(p, fits, results, written);
  return all_passed(results) ? 0 : exit_not_passed;
}

// A record scaled instead of fitted, as `wavetool scale` writes it, with its criteria against the
// target for information: the result it files, or why there is none.
std::optional<file_error> set_up_scaled(const plan& p, const fit_item& f, const wave& record,
                                        fit_job_result& r) {
  const plan_wave& w = p.waves[f.wave];
  const std::string aim =
      std::string(scaling_key(w.scaling->measure)) + " = " + waveio::short_text(w.scaling->value);
  const scaling_result scaled = scale_wave(record, *w.scaling, aim);
  if (!scaled.scaled) return file_error{p.file.string(), w.line, w.name + ": " + *scaled.refused};
  const check_report c =
      evaluate(parse_wave(scaled.scaled->text, w.name).w, p.targets[f.target].spectrum);
  if (!c.criteria) {
    return file_error{p.file.string(), w.line,
                      w.name + ": its criteria against target " + p.targets[f.target].name +
                          " cannot be evaluated: the record is too short or too long for them"};
  }
  r.fit.kept.measures = *c.criteria;
  r.measures = c.measures;
  r.wave_text = scaled.scaled->text;
  return std::nullopt;
}

// Every wave is read and set up as `wavetool fit` sets it up before any fit starts, so that bad
// input leaves nothing behind; a resampled wave is told of in plan order.
std::optional<file_error> set_up_fits(const plan& p, const std::vector<fit_item>& chosen,
                                      std::vector<suite_fit>& work) {
  work.reserve(chosen.size());
  for (const fit_item& f : chosen) {
    const wave_result w = source_wave(p.waves[f.wave], p.targets[f.target]);
    if (!w.ok()) return plan_line_of(p, p.waves[f.wave], *w.error);
    const fit_overrides used = settings_of(p, f.target, f.wave);
    const plan_site* site =
        p.targets[f.target].site ? &p.sites[*p.targets[f.target].site] : nullptr;
    if (p.waves[f.wave].scaling) {
      suite_fit scaled{f, used, {}, {}, true, site, {}};
      if (const auto e = set_up_scaled(p, f, w.w, scaled.result)) return e;
      work.push_back(std::move(scaled));
      continue;
    }
    fit_job_setup setup = set_up_fit(w.w, fit_name(p, f), p.targets[f.target].spectrum,
                                     fit_settings_of(used), "the record's start and end");
    if (!setup.ok()) return setup.refused;
    if (const std::string note = resampled_note(setup.job.input); !note.empty()) {
      std::cerr << "wavetool: " << fit_name(p, f) << note << '\n';
    }
    work.push_back({f, used, std::move(setup.job), {}, false, site, {}});
  }
  return std::nullopt;
}

int run_suite(const suite_options& o) {
  if (o.plan == files::standard_stream) {
    std::cerr << "wavetool: suite: the plan must be a file, not standard input (-): its listed "
                 "commands and the report read it again\n";
    return exit_usage;
  }
  const plan_result pr = read_plan(o.plan);
  if (!pr.ok()) return bad_input(*pr.error);
  const plan& p = pr.p;
  std::vector<fit_item> fits = fits_of(p);
  const std::filesystem::path dir = o.out;
  if (o.list) {
    for (const fit_item& f : fits)
      std::cout << only_command(o.program, o.plan, o.out, p, f) << '\n';
    return 0;
  }
  if (o.report_only) {
    if (const auto e = prepare_out_folder(dir, p, false)) return bad_input(*e);
    return gather(p, fits, dir);
  }
  std::vector<fit_item> chosen = fits;
  if (!o.only.empty()) {
    chosen.clear();
    for (const fit_item& f : fits) {
      if (fit_name(p, f) == o.only) chosen.push_back(f);
    }
    if (chosen.empty()) return bad_input({o.plan, 0, "no fit named " + o.only + " (TARGET/WAVE)"});
  }
  std::vector<suite_fit> work;
  if (const auto e = set_up_fits(p, chosen, work)) return bad_input(*e);
  if (const auto e = prepare_out_folder(dir, p, true)) return bad_input(*e);
  const auto start = std::chrono::steady_clock::now();
  std::size_t done = 0;
  std::optional<file_error> write_error, site_error;
  std::map<std::pair<std::size_t, std::size_t>, site_texts> computed;
  run_fits(work, o.jobs, o.threads, [&](std::size_t k) {
    const suite_fit& f = work[k];
    const auto e = write_fit(dir, p, f);
    if (e && !write_error) write_error = e;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::cerr << progress_line(++done, work.size(), fit_name(p, f.item), f, !e, elapsed.count());
    if (f.site_result) {
      for (const std::string& note : f.site_result->notes)
        std::cerr << "wavetool: note: " << fit_name(p, f.item) << ": " << note << '\n';
      if (f.site_result->failure && !site_error) {
        site_error = file_error{f.site->profile_file.string(), 0,
                                fit_name(p, f.item) + ": " + *f.site_result->failure +
                                    "; its site's files are not written"};
      }
      computed[{f.item.target, f.item.wave}] = f.site_result->texts;
    }
  });
  if (write_error) return bad_input(*write_error);
  if (site_error) return bad_input(*site_error);
  if (!o.only.empty()) {
    tidy_folder(sweep_folder(dir, p, chosen, false));
    file_error e;
    const auto s = read_fit_result(dir, p, chosen[0], e);
    if (!s) return bad_input(e);
    fit_summary only = *s;
    if (work[0].site_result) only.site = read_site_summary(work[0].site_result->texts.json);
    std::cout << final_line(p, chosen, std::span(&only, 1),
                            ": " + fit_file(dir, p, chosen[0], ".json").string());
    return all_passed(std::span(&only, 1)) ? 0 : exit_not_passed;
  }
  return gather(p, fits, dir, computed);
}

}  // namespace

void add_suite_command(CLI::App& app, int& status, const std::string& program) {
  auto o = std::make_shared<suite_options>();
  o->program = program;
  CLI::App* sub = app.add_subcommand(
      "suite",
      "Fit every wave of a plan to every target, side by side, with summaries and a report");
  sub->add_option("PLAN", o->plan, "the plan (TOML): [defaults], [[target]], [[wave]], [[site]]")
      ->required();
  sub->add_option("--out", o->out,
                  "the folder to write: TARGET/WAVE.csv and .json (with a site also "
                  "WAVE.SITE.csv and .json), summary.csv, "
                  "summary.json, report.html")
      ->required();
  sub->add_option("--jobs", o->jobs, "fits at once (default: one per core)")
      ->check(whole_in(1, 4096));
  sub->add_option("--threads-per-fit", o->threads,
                  "spectrum engine threads of each fit (default: the cores shared out among "
                  "the fits at once, at least one each)")
      ->check(whole_in(1, 4096));
  auto* list = sub->add_flag("--list", o->list, "print one command per fit, for other machines");
  auto* only = sub->add_option("--only", o->only, "fit TARGET/WAVE alone and write its files");
  auto* gather_flag = sub->add_flag("--report-only", o->report_only,
                                    "gather the fits' files into the summaries and the report");
  sub->footer(
      "PLAN is a file (not -). Everything that can be checked is checked before the first fit: "
      "the plan, every wave, and whether --out can take the files.\n"
      "--report-only verifies each result: its options must be what the plan asks of the pair "
      "now, its criteria and measures what its wave gives; a result that is not is named with "
      "the --only command that fits it again.\n"
      "After any run --out holds what that run wrote: the suite removes its own files that an "
      "earlier run left (exports no longer asked, waves no longer in the plan, the last report; "
      "--only: that pair's and the summaries), leaves anything else alone and names it, and "
      "never writes through a link inside --out.");
  list->excludes(only)->excludes(gather_flag);
  only->excludes(gather_flag);
  sub->callback([o, &status] { status = run_suite(*o); });
}

}  // namespace wavetool
