// Values written several a line (8F10.5 and the like), read in order, one sample each.
#include <string>

#include "waveio/record_text.h"
#include "waveio/text_fields.h"

namespace waveio {

using detail::error_at;

parsed_record parse_values(std::string_view text, const record_options& options) {
  parsed_record r;
  r.rec.unit = accel_unit::gal;
  int first_line = 0, last_line = 0;
  for (const text_line& line : split_lines(text)) {
    if (trim(line.text).empty() || detail::is_comment(line.text)) continue;
    const detail::numbers_of_line n = detail::numbers_in(line.text);
    if (n.bad) {
      r.error = error_at(line.number, "expected a number, found " + quoted(*n.bad));
      return r;
    }
    for (const double v : n.values) {
      r.rec.values.push_back(v);
      r.lines.push_back(line.number);
    }
    if (first_line == 0) first_line = line.number;
    last_line = line.number;
  }
  if (!options.dt) {
    r.error = error_at(0, "expected " + std::string(options.names.dt) + ": values carry no times");
    return r;
  }
  r.rec.dt = *options.dt;
  if (!detail::usable_step(r.rec.dt)) {
    r.error = error_at(0, "expected a positive time step, found " + short_text(r.rec.dt));
    return r;
  }
  if (r.rec.values.size() < 2) {
    r.error =
        error_at(0, "expected at least 2 values, found " + std::to_string(r.rec.values.size()));
    return r;
  }
  // A count in the comments ("1559 points") is the writer's claim, not read: the user compares.
  r.rec.notes.push_back({0, std::to_string(r.rec.values.size()) + " values from lines " +
                                std::to_string(first_line) + " to " + std::to_string(last_line) +
                                "; a count given in comment lines is not checked"});
  return r;
}

}  // namespace waveio
