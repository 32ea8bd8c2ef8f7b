// Plain columns: acceleration alone, or time and acceleration, or a table with --column.
#include <cmath>
#include <string>

#include "waveio/record_text.h"
#include "waveio/text_fields.h"

namespace waveio {

using detail::error_at;

parsed_record parse_columns(std::string_view text, const record_options& options) {
  parsed_record r;
  r.rec.unit = accel_unit::gal;
  std::vector<double> times;
  std::vector<int> time_lines;
  std::size_t width = 0;
  bool first = true;        // the first line of numbers is still to come
  bool header_open = true;  // a non-numeric line may still be the header
  int time_column = 0;      // from 1; 0: no time column
  int acc_column = 0;
  for (const text_line& line : split_lines(text)) {
    if (trim(line.text).empty() || detail::is_comment(line.text)) continue;
    const detail::numbers_of_line n = detail::numbers_in(line.text);
    if (header_open && n.bad) {
      header_open = false;
      continue;
    }
    // A line of separators alone (",,") holds no sample: blank.
    if (!n.bad && n.values.empty()) continue;
    header_open = false;
    if (n.bad) {
      r.error = error_at(line.number, "expected a number, found " + quoted(*n.bad));
      return r;
    }
    if (first) {
      first = false;
      width = n.values.size();
      // Eight numbers a line may be a table of eight columns or values wrapped eight a line.
      if (width >= 3 && options.column == 0) {
        r.error = error_at(
            line.number, "expected 1 or 2 numbers a line, found " + std::to_string(width) +
                             ": give " + std::string(options.names.column) +
                             " N for a table of columns, or " + std::string(options.names.format) +
                             " values for values written several a line");
        return r;
      }
      time_column = options.dt || width == 1 ? 0 : 1;
      acc_column = options.column > 0 ? options.column : static_cast<int>(width);
      if (acc_column > static_cast<int>(width)) {
        r.error = error_at(line.number, "expected at least " + std::to_string(acc_column) +
                                            " columns, found " + std::to_string(width));
        return r;
      }
      if (width == 1 && !options.dt) {
        r.error = error_at(line.number, "expected a time and an acceleration, or " +
                                            std::string(options.names.dt) + " for a single column");
        return r;
      }
    }
    if (n.values.size() != width) {
      r.error = error_at(line.number, "expected " + std::to_string(width) +
                                          " values as on the first line, found " +
                                          std::to_string(n.values.size()));
      return r;
    }
    r.rec.values.push_back(n.values[static_cast<std::size_t>(acc_column - 1)]);
    r.lines.push_back(line.number);
    if (time_column > 0) {
      times.push_back(n.values[0]);
      time_lines.push_back(line.number);
    }
  }
  if (r.rec.values.size() < 2) {
    r.error =
        error_at(0, "expected at least 2 samples, found " + std::to_string(r.rec.values.size()));
    return r;
  }
  r.rec.dt = options.dt ? *options.dt : times[1] - times[0];
  if (!detail::usable_step(r.rec.dt)) {
    r.error = error_at(0, "expected a positive time step, found " + short_text(r.rec.dt));
    return r;
  }
  // fitwave takes only the first step: a record sampled unevenly would be stretched unseen.
  for (std::size_t i = 2; i < times.size(); ++i) {
    const double want = times[0] + static_cast<double>(i) * r.rec.dt;
    if (!(std::fabs(times[i] - want) <= 0.01 * r.rec.dt)) {
      r.error = error_at(time_lines[i], "expected the time " + short_text(want) +
                                            " (a constant step of " + short_text(r.rec.dt) +
                                            " s), found " + short_text(times[i]));
      return r;
    }
  }
  return r;
}

}  // namespace waveio
