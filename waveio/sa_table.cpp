#include "waveio/sa_table.h"

#include <cmath>

#include "waveio/text_fields.h"

namespace waveio {
namespace {

// A whole field as one finite number, by the records' rule: "1500-3" is two numbers run
// together, not 1.5 gal.
std::optional<double> field_number(std::string_view field) {
  const auto v = parse_number(field);
  if (!v || !std::isfinite(*v)) return std::nullopt;
  return v;
}

}  // namespace

sa_table_result parse_sa_table(std::string_view text, const std::string& file) {
  sa_table_result r;
  const auto fail = [&](int line, std::string message) {
    r.error = file_error{file, line, std::move(message)};
    return r;
  };
  for (const text_line& line : split_lines(text)) {
    const std::string_view data = line.text.substr(0, line.text.find('#'));
    const std::vector<std::string_view> fields = split_fields(data);
    if (fields.empty()) continue;
    const auto period = field_number(fields[0]);
    const auto sa = fields.size() == 2 ? field_number(fields[1]) : std::nullopt;
    if (fields.size() != 2 || !period || !sa) {
      return fail(line.number,
                  "expected two numbers, period (s) and Sa (gal), found " + quoted(trim(data)));
    }
    if (!(*period > 0.0) || (!r.table.periods.empty() && !(*period > r.table.periods.back()))) {
      const std::string floor = r.table.periods.empty() ? "0" : short_text(r.table.periods.back());
      return fail(line.number, "expected a period above " + floor +
                                   " s (periods strictly "
                                   "increasing), found " +
                                   quoted(fields[0]));
    }
    if (!(*sa > 0.0))
      return fail(line.number, "expected Sa above 0 gal, found " + quoted(fields[1]));
    // The criteria compare in single precision: Sa of 1e-300 gal would be 0 there, and every
    // ratio to it infinite.
    if (!std::isnormal(static_cast<float>(*sa))) {
      return fail(line.number,
                  "expected Sa within single precision (1.2e-38 to 3.4e38 gal), found " +
                      quoted(fields[1]));
    }
    r.table.periods.push_back(*period);
    r.table.sa.push_back(*sa);
  }
  if (r.table.periods.size() < 2) {
    return fail(0, "expected at least two lines of period (s) and Sa (gal), found " +
                       std::to_string(r.table.periods.size()));
  }
  return r;
}

}  // namespace waveio
