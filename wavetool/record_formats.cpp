#include <algorithm>
#include <cmath>
#include <string>

#include "motion/measures.h"
#include "waveio/text_fields.h"
#include "wavetool/record.h"

namespace wavetool {

using waveio::parse_leading_number;
using waveio::parse_number;
using waveio::quoted;
using waveio::short_text;
using waveio::split_fields;
using waveio::split_lines;
using waveio::starts_with_ignoring_blanks;
using waveio::text_line;
using waveio::trim;
namespace {

record_error error_at(int line, std::string message) {
  return {line, std::move(message)};
}

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

bool is_comment(std::string_view line) {
  const std::string_view t = trim(line);
  return t.starts_with('#') || t.starts_with('%');
}

// Every field of a line as a number, or the first that is not one.
struct numbers_of_line {
  std::vector<double> values;
  std::optional<std::string_view> bad;
};
numbers_of_line numbers_in(std::string_view line) {
  numbers_of_line r;
  for (const std::string_view f : split_fields(line)) {
    const auto v = parse_number(f);
    if (!v) {
      r.bad = f;
      return r;
    }
    r.values.push_back(*v);
  }
  return r;
}

}  // namespace

double gal_per(accel_unit u) {
  switch (u) {
    case accel_unit::g:
      return motion::standard_gravity;
    case accel_unit::m_per_s2:
      return 100.0;
    case accel_unit::gal:
      break;
  }
  return 1.0;
}

std::string_view name_of(record_format f) {
  switch (f) {
    case record_format::at2:
      return "PEER NGA (AT2)";
    case record_format::knet:
      return "K-NET/KiK-net ASCII";
    case record_format::jma:
      return "JMA CSV";
    case record_format::columns:
      break;
  }
  return "columns";
}

std::string_view name_of(accel_unit u) {
  switch (u) {
    case accel_unit::g:
      return "g";
    case accel_unit::m_per_s2:
      return "m/s2";
    case accel_unit::gal:
      break;
  }
  return "gal";
}

parsed_record parse_at2(std::string_view text) {
  parsed_record r;
  r.rec.unit = accel_unit::g;
  const std::vector<text_line> lines = split_lines(text);
  if (lines.size() < 4) {
    r.error = error_at(static_cast<int>(lines.size()),
                       "expected four header lines, the fourth "
                       "giving NPTS and DT");
    return r;
  }
  const auto size = at2_size(lines[3].text);
  if (!size) {
    r.error = error_at(4, "expected \"NPTS= n, DT= step SEC\" or \"n step NPTS, DT\"");
    return r;
  }
  const auto [points, dt] = *size;
  // A count beyond any record (1e9 samples) is a damaged header, not a request for memory.
  if (!(points >= 2 && points <= 1e9 && points == std::trunc(points)) || !(dt > 0.0) ||
      !std::isfinite(dt)) {
    r.error = error_at(4, "expected at least 2 points and a positive step, found NPTS " +
                              short_text(points) + " and DT " + short_text(dt));
    return r;
  }
  const auto npts = static_cast<long>(points);
  r.rec.dt = dt;
  r.rec.values.reserve(std::min(static_cast<std::size_t>(npts), text.size()));
  for (std::size_t k = 4; k < lines.size() && std::ssize(r.rec.values) < npts; ++k) {
    const numbers_of_line n = numbers_in(lines[k].text);
    if (n.bad) {
      r.error = error_at(lines[k].number, "expected a number, found " + quoted(*n.bad));
      return r;
    }
    for (const double v : n.values) {
      if (std::ssize(r.rec.values) < npts) r.rec.values.push_back(v);
    }
  }
  if (std::ssize(r.rec.values) < npts) {
    r.error = error_at(static_cast<int>(lines.size()), "expected " + std::to_string(npts) +
                                                           " values (NPTS), found only " +
                                                           std::to_string(r.rec.values.size()));
  }
  return r;
}

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
    if (trim(line.text).empty() || is_comment(line.text)) continue;
    const numbers_of_line n = numbers_in(line.text);
    if (header_open && n.bad) {
      header_open = false;
      continue;
    }
    header_open = false;
    if (n.bad) {
      r.error = error_at(line.number, "expected a number, found " + quoted(*n.bad));
      return r;
    }
    if (first) {
      first = false;
      width = n.values.size();
      time_column = options.dt || width == 1 ? 0 : 1;
      acc_column = options.column > 0 ? options.column : (width == 1 ? 1 : 2);
      if (acc_column > static_cast<int>(width)) {
        r.error = error_at(line.number, "expected at least " + std::to_string(acc_column) +
                                            " columns, found " + std::to_string(width));
        return r;
      }
      if (width == 1 && !options.dt) {
        r.error = error_at(line.number,
                           "expected a time and an acceleration, or --dt for a "
                           "single column");
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
  if (!(r.rec.dt > 0.0) || !std::isfinite(r.rec.dt)) {
    r.error = error_at(0, "expected a positive time step, found " + short_text(r.rec.dt));
    return r;
  }
  // fitwave takes only the first step: a record sampled unevenly would be stretched unseen.
  for (std::size_t i = 2; i < times.size(); ++i) {
    const double want = times[0] + static_cast<double>(i) * r.rec.dt;
    if (std::fabs(times[i] - want) > 0.01 * r.rec.dt) {
      r.error = error_at(time_lines[i], "expected the time " + short_text(want) +
                                            " (a constant step of " + short_text(r.rec.dt) +
                                            " s), found " + short_text(times[i]));
      return r;
    }
  }
  return r;
}

record_format detect_format(std::string_view text) {
  const std::vector<text_line> lines = split_lines(text.substr(0, 4096));
  if (!lines.empty() && starts_with_ignoring_blanks(lines[0].text, "Origin Time")) {
    return record_format::knet;
  }
  for (std::size_t k = 0; k < lines.size() && k < 12; ++k) {
    const std::string_view t = lines[k].text;
    if (t.find("SITE CODE") != std::string_view::npos ||
        t.find("SAMPLING RATE") != std::string_view::npos) {
      return record_format::jma;
    }
  }
  if (lines.size() >= 4 && at2_size(lines[3].text)) return record_format::at2;
  return record_format::columns;
}

parsed_record parse_record(std::string_view text, record_format format,
                           const record_options& options) {
  switch (format) {
    case record_format::at2:
      return parse_at2(text);
    case record_format::knet:
      return parse_knet(text);
    case record_format::jma:
      return parse_jma(text, options);
    case record_format::columns:
      break;
  }
  return parse_columns(text, options);
}

}  // namespace wavetool
