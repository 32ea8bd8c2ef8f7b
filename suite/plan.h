// A suite plan: the targets and waves of a design set, read from TOML whose keys are the command
// line's options without their dashes ('-' becomes '_'). Every key is checked against its type
// and its set before any work, and a refusal names the plan's line.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "files/file_error.h"
#include "motion/design_fit.h"
#include "motion/seed_wave.h"
#include "operations/export.h"
#include "operations/fit_job.h"
#include "operations/spectrum_request.h"
#include "operations/wave_file.h"
#include "operations/wave_scaling.h"
#include "site/profile.h"
#include "waveio/records.h"

namespace wavetool {

// The fit options a plan may set in [defaults], a [[target]] or a [[wave]] (the wave's own win,
// then the target's); unset keys keep the fit's defaults.
struct fit_overrides {
  std::optional<std::array<float, 4>> corners;  // TB, TC, TD, TE (s)
  std::optional<std::int64_t> max_iterations;
  std::optional<bool> no_rest;
  std::optional<bool> keep_step;  // fit at a coarse record's own step, as --keep-step
  std::optional<double> max_pgd;  // cm, as --max-pgd
  std::optional<std::vector<export_layout>> exports;  // key `export`
};

// A seed drawn for each target; samples and dt are optional.
struct seed_source {
  std::int64_t seed = 0;
  std::optional<std::int64_t> samples;
  std::optional<double> dt;
};
// A record in any layout import reads, relative to the plan's folder.
struct record_source {
  std::filesystem::path path;
  std::string format = "auto";
  std::optional<std::string> units;
  std::optional<double> dt, start, end;
  std::int64_t column = 0;
  std::optional<std::string> component;
  int line = 0;  // of the key `record`
};

struct plan_target {
  std::string name;
  int line = 0;
  spectrum_keys keys;         // as the command line spells them, [defaults]'s included
  spectrum_request spectrum;  // checked, a table's rows read
  fit_overrides fit;
  std::optional<std::size_t> site;  // key `site`: the plan's site its waves are taken through
};
struct plan_wave {
  std::string name;
  int line = 0;
  std::variant<seed_source, record_source> source;
  fit_overrides fit;
  // fit = false with pgv, pga or scale: an observed record scaled, not fitted; its criteria are
  // shown for information and never judged.
  std::optional<wave_scaling> scaling;
};

// A site the waves of a target are taken through, from the plan's [[site]]: its profile inline
// or from `profile` (relative to the plan).
struct plan_site {
  std::string name;
  int line = 0;
  site::site_profile profile;
  std::filesystem::path profile_file;  // the file whose lines its faults name (the plan, inline)
  std::optional<std::int64_t> compare_soil;  // a ground class whose simplified spectrum is drawn
};

struct plan {
  std::filesystem::path file;
  std::string text;  // the plan as given, for the report
  fit_overrides defaults;
  std::vector<plan_target> targets;
  std::vector<plan_wave> waves;
  std::vector<plan_site> sites;
};

struct plan_result {
  plan p;
  std::optional<files::file_error> error;
  bool ok() const { return !error; }
};

// The plan in text, read as the file `file` (whose folder records are relative to). Refuses, with
// the line: TOML syntax, unknown keys, values of the wrong type or outside their set, a name that
// cannot be a file name, two targets or two waves of one name, a missing record, a spectrum that
// the spectrum options refuse, a table that does not hold the periods the criteria judge or a
// seed's periods, a seed shorter than its envelope.
plan_result parse_plan(std::string_view text, const std::filesystem::path& file);
plan_result read_plan(const std::filesystem::path& file);

// The settings of target t's fit of wave w: the wave's own keys, then the target's, then the
// plan's defaults.
fit_overrides settings_of(const plan& p, std::size_t t, std::size_t w);

// The grid of a seed wave: its samples and step, or seedwave's.
motion::seed_grid seed_grid_of(const seed_source& s);

// The plan's keys for the settings of a record, as messages about them name them.
inline constexpr waveio::setting_names plan_key_names{"dt",     "column", "component",
                                                      "format", "start",  "end"};

// The design settings of a plan's fit options: unset keys keep the fit's own defaults.
motion::design_settings design_settings_of(const fit_overrides& f);
// All a plan's fit options ask of one fit, as `wavetool fit` takes them from its options.
fit_settings fit_settings_of(const fit_overrides& f);

// The wave a plan's source gives for a target: a record exactly as `wavetool import` writes it
// and `wavetool fit` reads it back; a seed drawn for the target's spectrum exactly as `wavetool
// seed` writes it, with its defaults (the plan has checked that the spectrum covers it).
wave_result source_wave(const plan_wave& w, const plan_target& t);

}  // namespace wavetool
