// The files of a suite as text: each fit's result (TARGET/WAVE.json), the summaries of all fits
// (summary.csv, summary.json) and the names they go under. The summaries are made from the fits'
// result files as read back, so that a suite run in one go and one gathered from fits run
// elsewhere write the same bytes. No times, dates or host names go into any of them.
#pragma once

#include <array>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "operations/fit_job.h"
#include "operations/wave_scaling.h"
#include "suite/plan.h"

namespace wavetool {

// One fit of the suite, in plan order: target by target, wave by wave.
struct fit_item {
  std::size_t target = 0;
  std::size_t wave = 0;
};
std::vector<fit_item> fits_of(const plan& p);
// "TARGET/WAVE", as --only names a fit.
std::string fit_name(const plan& p, const fit_item& f);

// DIR/TARGET/WAVE with the given extension (".csv", ".json", ".at2", ...).
std::filesystem::path fit_file(const std::filesystem::path& dir, const plan& p, const fit_item& f,
                               const std::string& extension);

// DIR/TARGET/WAVE.SITE with the extension: the motion at the surface of the target's site
// (".csv") and the site's results (".json"); f's target must have a site.
std::filesystem::path site_file(const std::filesystem::path& dir, const plan& p, const fit_item& f,
                                const std::string& extension);

// A result's status: a fit passed or not; a wave scaled instead of fitted is not judged.
inline constexpr const char* status_passed = "passed";
inline constexpr const char* status_not_passed = "not passed";
inline constexpr const char* status_scaled = "scaled, not fitted";

// The plan's key of a scaling: pgv, pga or scale.
std::string_view scaling_key(scale_measure m);

// The result of a fit as its JSON file holds it: status ("passed" or "not passed"), iterations,
// the four criteria, the time-domain measures and the options used.
std::string fit_result_json(const plan& p, const fit_item& f, const fit_job_result& r);
// The options the plan asks of f, as its result file holds them.
nlohmann::ordered_json options_json(const plan& p, const fit_item& f);

// The suite's own files beside the targets' folders.
inline constexpr std::array<const char*, 3> summary_files{"summary.csv", "summary.json",
                                                          "report.html"};

// The folder inside the suite's folder where the report's figures are drawn, removed when they
// are.
inline constexpr const char* report_work_folder = ".report-work";

// What the summaries and the report take from a wave's site results (WAVE.SITE.json).
struct site_summary {
  bool converged = false;
  motion::motion_summary surface;  // the written surface motion's measures, as `check` gives them
  nlohmann::ordered_json json;     // the whole object as read
};

// The endings of a site's files after "WAVE.SITE": the surface motion and the site's results.
inline constexpr std::array<const char*, 2> site_endings{".csv", ".json"};

// A site's files as text.
struct site_texts {
  std::string wave, json;
};
// What a site gives with a bedrock wave: its files, or where the analysis failed.
struct site_outcome {
  site_texts texts;
  bool converged = false;
  std::vector<std::string> notes;      // layers whose strains ran beyond their tables
  std::optional<std::string> failure;  // where and why; nothing is to be written
};
// The bedrock wave (an outcrop motion at the top of the bedrock) taken to the site's surface.
site_outcome site_of_wave(const plan_site& s, const wave& bedrock);

// The summary of a site's results as site_of_wave writes them.
site_summary read_site_summary(const std::string& json);

// What the summaries and the report take from a fit's result file.
struct fit_summary {
  std::string target, wave;
  bool passed = false;
  bool scaled = false;  // status "scaled, not fitted": criteria for information, never judged
  std::int64_t iterations = 0;
  float cr1 = 0, cr2 = 0, cr3 = 0, cr4 = 0;
  motion::motion_summary measures;
  nlohmann::ordered_json json;       // the whole object as read
  std::optional<site_summary> site;  // when the target has a site
};
// The result file of f in dir, or why it cannot be read.
std::optional<fit_summary> read_fit_result(const std::filesystem::path& dir, const plan& p,
                                           const fit_item& f, files::file_error& error);

// The header of summary.csv.
// sites: with the columns of the surface motions (when a target has a site).
std::string summary_header(bool sites = false);
// One row per fit, in the order given, each number as its shortest text that reads back as it.
std::string summary_csv(const std::vector<fit_summary>& fits);
// The fits' result objects as one list.
std::string summary_json(const std::vector<fit_summary>& fits);

}  // namespace wavetool
