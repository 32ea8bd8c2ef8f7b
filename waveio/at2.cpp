// PEER NGA records (.AT2): four header lines, then the values in g.
#include <algorithm>
#include <cmath>
#include <string>

#include "waveio/record_text.h"
#include "waveio/text_fields.h"

namespace waveio {

using detail::error_at;
namespace {

// The NPTS and DT of an AT2 fourth line: "NPTS=  7995, DT=   .0050 SEC" (newer files) or
// "  7995    .0050    NPTS, DT" (older files).
std::optional<std::pair<double, double>> at2_size(std::string_view line) {
  const std::size_t npts = line.find("NPTS=");
  const std::size_t dt = line.find("DT=");
  if (npts != std::string_view::npos && dt != std::string_view::npos) {
    const auto n = parse_leading_number(line.substr(npts + 5));
    const auto d = parse_leading_number(line.substr(dt + 3));
    if (n && d) return std::pair{n->value, d->value};
    return std::nullopt;
  }
  const auto fields = split_fields(line);
  if (fields.size() >= 3 && fields[2] == "NPTS") {
    const auto n = parse_number(fields[0]);
    const auto d = parse_number(fields[1]);
    if (n && d) return std::pair{*n, *d};
  }
  return std::nullopt;
}

}  // namespace

namespace detail {
bool is_at2_size_line(std::string_view line) {
  return at2_size(line).has_value();
}
}  // namespace detail

parsed_record parse_at2(std::string_view text) {
  parsed_record r;
  r.rec.unit = accel_unit::g;
  const std::vector<text_line> lines = split_lines(text);
  if (lines.size() < 4) {
    r.error = error_at(static_cast<int>(lines.size()),
                       "expected four header lines, the fourth giving NPTS and DT");
    return r;
  }
  const auto size = at2_size(lines[3].text);
  if (!size) {
    r.error = error_at(4, "expected \"NPTS= n, DT= step SEC\" or \"n step NPTS, DT\"");
    return r;
  }
  const auto [points, dt] = *size;
  // A count beyond any record (1e9 samples) is a damaged header, not a request for memory.
  if (!(points >= 2 && points <= 1e9 && points == std::trunc(points)) || !detail::usable_step(dt)) {
    r.error = error_at(4, "expected at least 2 points and a positive step, found NPTS " +
                              short_text(points) + " and DT " + short_text(dt));
    return r;
  }
  const auto npts = static_cast<std::size_t>(points);
  r.rec.dt = dt;
  r.rec.values.reserve(std::min(npts, text.size()));
  std::size_t beyond = 0;  // values after the first NPTS
  int beyond_line = 0;
  for (std::size_t k = 4; k < lines.size(); ++k) {
    const detail::numbers_of_line n = detail::numbers_in(lines[k].text);
    if (n.bad) {
      r.error = error_at(lines[k].number, "expected a number, found " + quoted(*n.bad));
      return r;
    }
    for (const double v : n.values) {
      if (r.rec.values.size() < npts) {
        r.rec.values.push_back(v);
        r.lines.push_back(lines[k].number);
      } else if (beyond++ == 0) {
        beyond_line = lines[k].number;
      }
    }
  }
  if (r.rec.values.size() < npts) {
    r.error = error_at(static_cast<int>(lines.size()), "expected " + std::to_string(npts) +
                                                           " values (NPTS), found only " +
                                                           std::to_string(r.rec.values.size()));
  } else if (beyond > 0) {
    r.rec.notes.push_back(
        {beyond_line, std::to_string(beyond) + " value" + (beyond == 1 ? "" : "s") + " after the " +
                          std::to_string(npts) + " that NPTS gives, not imported"});
  }
  return r;
}

}  // namespace waveio
