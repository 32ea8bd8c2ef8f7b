// The design spectrum as a job names it: one set of options shared by target, seed, fit and
// check, and the same keys (without the dashes) for a plan. The check of what was given is a
// function over plain key -> text pairs, so that any front end gets the same rules and messages.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_error.h"
#include "motion/criteria.h"
#include "motion/design_spectrum.h"

namespace wavetool {

// Keys: spectrum, level, zone, soil, damping, ec8-type, ground, ag, sds, sd1, tl, table,
// window; only the keys given are present, with their text as given.
using spectrum_keys = std::map<std::string, std::string>;

struct spectrum_request {
  motion::design_spectrum spectrum;  // a table's rows are still to be read from table_file
  std::string table_file;
  double window_min = motion::default_window_min;  // s
  double window_max = motion::default_window_max;  // s
};

struct spectrum_choice {
  spectrum_request request;
  std::string error;  // a usage error, one line naming the key with prefix; empty when valid
  bool ok() const { return error.empty(); }
};

// The spectrum the keys describe, or why they describe none: an unknown spectrum, key or class;
// a key of one spectrum given with another; surface without soil, ec8 without its type, ground
// and ag, asce7 without sds, sd1 and tl, table without its file; a number that is not one
// (every number through the text layer's scanner); zone outside (0, 1.5], damping outside
// (0, 1), asce7 at a damping other than 0.05, ag, sds, sd1 or tl not above 0, TL not above
// TS = SD1/SDS, a window not 0 < TMIN < TMAX. prefix goes before each key in the message.
spectrum_choice spectrum_from_keys(const spectrum_keys& keys, std::string_view prefix = "--");

// Reads a table request's file into its spectrum (nothing to do for another spectrum): the file
// error, with its line, when it cannot be read or is not a table.
std::optional<files::file_error> load_table(spectrum_request& r);

// The file error of a table that does not hold every period the criteria judge (the window of
// criteria 1, 3 and 4, and 1..5 s), never extrapolated; nothing for another spectrum.
std::optional<files::file_error> uncovered_criteria(const spectrum_request& r);

// A table's periods as a refusal names them ("the table's periods 0.01 to 5 s"), and what every
// refusal of a period beyond them says last: Sa is never extrapolated.
std::string table_periods_text(const motion::design_spectrum& s);
inline constexpr std::string_view never_extrapolated = " (never extrapolated)";

// The window of criteria 1, 3 and 4 the request names, in the criteria's single precision.
motion::period_window criteria_window(const spectrum_request& r);

// The periods (s) a spectrum is printed and drawn at when none are asked for: n evenly spaced in
// log over the window, both ends exact, so that waves of any length and step share them.
inline constexpr std::size_t drawn_period_count = 200;
std::vector<double> window_periods(double tmin, double tmax, std::size_t n = drawn_period_count);

}  // namespace wavetool
