// One detection and dispatch for every record format, and what holds for all of them: the units,
// the options each format takes, and values fitwave can hold.
#include "waveio/records.h"

#include <array>
#include <cmath>

#include "motion/measures.h"
#include "waveio/record_text.h"
#include "waveio/text_fields.h"

namespace waveio {
namespace {

constexpr std::array<format_entry, 5> formats{{
    {record_format::at2, "at2", "PEER NGA: four header lines (NPTS, DT), then values in g"},
    {record_format::knet, "knet", "K-NET/KiK-net ASCII: key-value header, counts, scale factor"},
    {record_format::jma, "jma", "JMA CSV: KEY= value header, NS, EW, UD columns (--component)"},
    {record_format::columns, "columns",
     "time and acceleration, or acceleration alone (--dt), or a table (--column N)"},
    {record_format::values, "values",
     "every number of every line in reading order, one sample each (--dt)"},
}};

// The options a format takes besides --units: each of the others is refused.
bool takes_dt(record_format f) {
  return f == record_format::columns || f == record_format::values;
}

std::optional<std::string> option_not_applying(record_format f, const record_options& o) {
  std::optional<std::string_view> option;
  if (o.dt && !takes_dt(f)) {
    option = o.names.dt;
  } else if (o.column > 0 && f != record_format::columns) {
    option = o.names.column;
  } else if (o.component && f != record_format::jma) {
    option = o.names.component;
  }
  if (!option) return std::nullopt;
  return std::string(*option) + " does not apply to " + std::string(name_of(f)) +
         " records; leave it out";
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

std::string_view name_of(record_format f) {
  switch (f) {
    case record_format::at2:
      return "PEER NGA (AT2)";
    case record_format::knet:
      return "K-NET/KiK-net ASCII";
    case record_format::jma:
      return "JMA CSV";
    case record_format::values:
      return "values";
    case record_format::columns:
      break;
  }
  return "columns";
}

std::span<const format_entry> record_formats() {
  return formats;
}

std::optional<record_format> format_named(std::string_view name) {
  for (const format_entry& f : formats) {
    if (f.option == name) return f.format;
  }
  return std::nullopt;
}

std::vector<std::string> format_choices() {
  std::vector<std::string> names{"auto"};
  for (const format_entry& f : formats) names.emplace_back(f.option);
  return names;
}

std::optional<accel_unit> unit_named(std::string_view name) {
  for (const accel_unit u : accel_units) {
    if (name_of(u) == name) return u;
  }
  return std::nullopt;
}

std::vector<std::string> unit_names() {
  std::vector<std::string> names;
  for (const accel_unit u : accel_units) names.emplace_back(name_of(u));
  return names;
}

std::vector<std::string> component_names() {
  return {jma_components.begin(), jma_components.end()};
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
  if (lines.size() >= 4 && detail::is_at2_size_line(lines[3].text)) return record_format::at2;
  return record_format::columns;
}

parsed_record parse_record(std::string_view text, record_format format,
                           const record_options& options) {
  parsed_record r;
  if (auto why = option_not_applying(format, options)) {
    r.error = detail::error_at(0, std::move(*why));
    return r;
  }
  switch (format) {
    case record_format::at2:
      r = parse_at2(text);
      break;
    case record_format::knet:
      r = parse_knet(text);
      break;
    case record_format::jma:
      r = parse_jma(text, options);
      break;
    case record_format::columns:
      r = parse_columns(text, options);
      break;
    case record_format::values:
      r = parse_values(text, options);
      break;
  }
  if (!r.ok()) return r;
  if (options.unit) r.rec.unit = *options.unit;
  // fitwave holds each sample in single precision, in gal: 1e38 g is beyond it.
  const double factor = gal_per(r.rec.unit);
  for (std::size_t i = 0; i < r.rec.values.size(); ++i) {
    const double v = r.rec.values[i];
    if (!std::isfinite(static_cast<float>(v * factor))) {
      r.error = detail::error_at(r.lines[i],
                                 "expected an acceleration within single precision "
                                 "(3.4e38 gal), found " +
                                     short_text(v) + " " + std::string(name_of(r.rec.unit)));
      return r;
    }
  }
  return r;
}

}  // namespace waveio
