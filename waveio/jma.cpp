// JMA strong-motion CSV: `KEY= value` header lines, a line naming the columns, then rows.
#include <string>

#include "waveio/record_text.h"
#include "waveio/text_fields.h"

namespace waveio {

using detail::error_at;

parsed_record parse_jma(std::string_view text, const record_options& options) {
  parsed_record r;
  r.rec.unit = accel_unit::gal;
  const std::string component = options.component.value_or(std::string(jma_components[0]));
  const std::vector<text_line> lines = split_lines(text);
  std::optional<double> dt;
  int column = -1;
  std::size_t k = 0;
  for (; k < lines.size() && column < 0; ++k) {
    const std::string_view t = trim(lines[k].text);
    const int number = lines[k].number;
    if (t.empty()) continue;
    const std::size_t eq = t.find('=');
    if (eq != std::string_view::npos) {
      const std::string_view key = trim(t.substr(0, eq));
      const std::string_view value = trim(t.substr(eq + 1));
      if (key == "SAMPLING RATE") {
        dt = detail::step_of_rate(value);
        if (!dt) {
          r.error =
              error_at(number, "expected a sampling rate like \"100Hz\", found " + quoted(value));
          return r;
        }
      } else if (key == "UNIT") {
        if (value == "m/s/s") {
          r.rec.unit = accel_unit::m_per_s2;
        } else if (value == name_of(accel_unit::gal)) {
          r.rec.unit = accel_unit::gal;
        } else if (value == name_of(accel_unit::m_per_s2)) {
          r.rec.unit = accel_unit::m_per_s2;
        } else if (value == name_of(accel_unit::g)) {
          r.rec.unit = accel_unit::g;
        } else {
          r.error = error_at(number, "expected the unit gal, m/s2 or g, found " + quoted(value));
          return r;
        }
      }
      continue;
    }
    // The line naming the columns.
    const std::vector<std::string_view> names = split_fields(t);
    for (std::size_t c = 0; c < names.size(); ++c) {
      if (names[c] == component) column = static_cast<int>(c);
    }
    if (column < 0) {
      r.error = error_at(number, "expected a line naming the columns (NS, EW, UD) with " +
                                     component + ", found " + quoted(t));
      return r;
    }
  }
  if (!dt) {
    r.error = error_at(k < lines.size() ? lines[k].number : static_cast<int>(lines.size()),
                       "expected \"SAMPLING RATE= 100Hz\" in the header");
    return r;
  }
  r.rec.dt = *dt;
  for (; k < lines.size(); ++k) {
    if (trim(lines[k].text).empty()) continue;
    const std::vector<std::string_view> fields = split_fields(lines[k].text);
    if (std::ssize(fields) <= column) {
      r.error = error_at(lines[k].number, "expected a value in column " +
                                              std::to_string(column + 1) + " (" + component + ")");
      return r;
    }
    const std::string_view f = fields[static_cast<std::size_t>(column)];
    const auto v = parse_number(f);
    if (!v) {
      r.error = error_at(lines[k].number, "expected a number, found " + quoted(f));
      return r;
    }
    r.rec.values.push_back(*v);
    r.lines.push_back(lines[k].number);
  }
  if (r.rec.values.size() < 2) {
    r.error = error_at(static_cast<int>(lines.size()),
                       "expected at least 2 rows, found " + std::to_string(r.rec.values.size()));
  }
  return r;
}

}  // namespace waveio
