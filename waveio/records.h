// Reading recorded accelerations from the common record formats. Every reader is a pure
// function from the file's text to the record's values, step and notes, or to the line where
// the text stops making sense and what was expected there; none prints.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace waveio {

enum class record_format { at2, knet, jma, columns, values };
enum class accel_unit { g, gal, m_per_s2 };

// The unit's factor to gal: g = 980.665 gal (standard gravity), m/s^2 = 100 gal.
double gal_per(accel_unit u);
// "g", "gal", "m/s2": the names the command line and JMA headers use.
std::string_view name_of(accel_unit u);
std::string_view name_of(record_format f);  // "PEER NGA (AT2)", as told to the user

// Each format with its command-line name and one line about it, for the help and the option.
struct format_entry {
  record_format format;
  std::string_view option;   // "at2"
  std::string_view summary;  // one line for the help
};
std::span<const format_entry> record_formats();
// The format of its command-line name; nothing for "auto" (decided from the text) or another.
std::optional<record_format> format_named(std::string_view name);
// The names a record's format is given by: "auto", then each format's.
std::vector<std::string> format_choices();

// Every unit, in the order the options list them.
inline constexpr std::array<accel_unit, 3> accel_units{accel_unit::g, accel_unit::gal,
                                                       accel_unit::m_per_s2};
std::optional<accel_unit> unit_named(std::string_view name);
std::vector<std::string> unit_names();
// The widest table a columns record may name a column of: a line of a thousand numbers is a
// block of values, not a table of recordings.
inline constexpr int max_column = 1000;

// The components of a JMA record; the first is taken when none is named.
inline constexpr std::array<std::string_view, 3> jma_components{"NS", "EW", "UD"};
std::vector<std::string> component_names();

// A fact worth telling the user (standard error); line 0: the record as a whole.
struct record_note {
  int line = 0;
  std::string text;
};

struct record {
  std::vector<double> values;  // acceleration in `unit`, one per sample
  double dt = 0.0;             // step (s)
  accel_unit unit = accel_unit::gal;
  std::vector<record_note> notes;
};

// Where and why a text is not a record of the expected format; line 0: the text as a whole.
struct record_error {
  int line = 0;
  std::string message;
};

struct parsed_record {
  record rec;
  std::vector<int> lines;  // the line of each value, for messages about it
  std::optional<record_error> error;
  bool ok() const { return !error; }
};

// How the caller names the settings a message may be about: the command line its options (the
// default), a plan its keys.
struct setting_names {
  std::string_view dt = "--dt";
  std::string_view column = "--column";
  std::string_view component = "--component";
  std::string_view format = "--format";
  std::string_view start = "--start";
  std::string_view end = "--end";
};

// What the command line adds to a record's own information; each is refused by the formats it
// does not apply to, so that nothing given is silently ignored.
struct record_options {
  std::optional<double> dt;  // step (s): columns and values
  int column = 0;            // columns: acceleration column from 1 to max_column; 0: not given
  std::optional<std::string> component;  // JMA: NS (the default), EW or UD
  std::optional<accel_unit> unit;        // overrides the record's own unit
  setting_names names;                   // for the messages
};

// PEER NGA: four header lines, the fourth giving NPTS and DT (either style), then NPTS values
// in g, several a line; values after the first NPTS are left out with a note.
parsed_record parse_at2(std::string_view text);

// K-NET / KiK-net ASCII: `key value` header lines, then integer counts; gal = count times the
// scale factor, less the mean of the whole record. A peak that disagrees with the header's
// Max. Acc. at the header's own decimals is noted.
parsed_record parse_knet(std::string_view text);

// JMA strong-motion CSV: `KEY= value` header lines, a line naming the columns, then rows.
parsed_record parse_jma(std::string_view text, const record_options& options);

// Plain columns: acceleration alone (options.dt required) or time and acceleration, separated by
// blanks, tabs or commas; `#` and `%` lines and a non-numeric first line are skipped. Three or
// more numbers a line need options.column: such a file may as well be values written several a
// line, and the reader does not guess.
parsed_record parse_columns(std::string_view text, const record_options& options);

// Values: every number of every line that is neither blank nor a comment (`#` or `%` first), in
// reading order, one sample each; options.dt required.
parsed_record parse_values(std::string_view text, const record_options& options);

// The format of a text, decided from its first lines; columns when nothing else fits.
record_format detect_format(std::string_view text);

// The reader of the format, after refusing the options that do not apply to it; the values are
// then in the unit of options.unit if given, and each is refused (at its line) unless it is
// finite in gal once rounded to single precision, as fitwave holds it.
parsed_record parse_record(std::string_view text, record_format format,
                           const record_options& options);

}  // namespace waveio
