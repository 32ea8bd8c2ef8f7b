// Reading recorded accelerations from the common record formats. Every reader is a pure
// function from the file's text to the record's values, step and notes, or to the line where
// the text stops making sense and what was expected there; none prints.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wavetool {

enum class record_format { at2, knet, jma, columns };
enum class accel_unit { g, gal, m_per_s2 };

// The unit's factor to gal: g = 980.665 gal (standard gravity), m/s^2 = 100 gal.
double gal_per(accel_unit u);
std::string_view name_of(record_format f);
std::string_view name_of(accel_unit u);

struct record {
  std::vector<double> values;  // acceleration in `unit`, one per sample
  double dt = 0.0;             // step (s)
  accel_unit unit = accel_unit::gal;
  std::vector<std::string> notes;  // facts worth telling the user (standard error)
};

// Where and why a text is not a record of the expected format; line 0: the text as a whole.
struct record_error {
  int line = 0;
  std::string message;
};

struct parsed_record {
  record rec;
  std::optional<record_error> error;
  bool ok() const { return !error; }
};

// What the command line adds to a record's own information.
struct record_options {
  std::optional<double> dt;  // step (s) for a record without times
  int column = 0;            // acceleration column of a columns file (from 1); 0: the default
  std::string component = "NS";
};

// PEER NGA: four header lines, the fourth giving NPTS and DT (either style), then NPTS values
// in g, several a line; values after the first NPTS are ignored.
parsed_record parse_at2(std::string_view text);

// K-NET / KiK-net ASCII: `key value` header lines, then integer counts; gal = count times the
// scale factor, less the mean of the whole record. A peak that disagrees with the header's
// Max. Acc. is noted.
parsed_record parse_knet(std::string_view text);

// JMA strong-motion CSV: `KEY= value` header lines, a line naming the columns, then rows.
parsed_record parse_jma(std::string_view text, const record_options& options);

// Plain columns: acceleration alone (options.dt required) or time and acceleration, separated by
// blanks, tabs or commas; `#` and `%` lines and a non-numeric first line are skipped.
parsed_record parse_columns(std::string_view text, const record_options& options);

// The format of a text, decided from its first lines; columns when nothing else fits.
record_format detect_format(std::string_view text);

parsed_record parse_record(std::string_view text, record_format format,
                           const record_options& options);

}  // namespace wavetool
