// The two ASCII formats of the Japanese strong-motion networks.
#include <cmath>
#include <cstdio>
#include <string>

#include "waveio/text_fields.h"
#include "wavetool/record.h"

namespace wavetool {

using waveio::parse_leading_number;
using waveio::parse_number;
using waveio::quoted;
using waveio::split_fields;
using waveio::split_lines;
using waveio::text_line;
using waveio::trim;
namespace {

// The value after a header key ("Sampling Freq(Hz)  100Hz" gives "100Hz"), if the line has it.
std::optional<std::string_view> value_after(std::string_view line, std::string_view key) {
  const std::string_view t = trim(line);
  if (!t.starts_with(key)) return std::nullopt;
  std::string_view v = t.substr(key.size());
  if (v.starts_with('=')) v.remove_prefix(1);
  return trim(v);
}

// A sampling rate like "100Hz" as its step (s).
std::optional<double> step_of_rate(std::string_view rate) {
  const auto n = parse_leading_number(rate);
  if (!n || !(n->value > 0.0) || !std::isfinite(n->value)) return std::nullopt;
  return 1.0 / n->value;
}

// "3920(gal)/6182761": the numerator and the denominator.
std::optional<std::pair<double, double>> scale_of(std::string_view s) {
  const auto num = parse_leading_number(s);
  const std::size_t slash = s.find('/');
  if (!num || slash == std::string_view::npos) return std::nullopt;
  const auto den = parse_number(s.substr(slash + 1));
  if (!den || *den == 0.0) return std::nullopt;
  return std::pair{num->value, *den};
}

// Whether the peak, printed with as many decimals as the header's value, gives that value.
bool agrees_to_printed_digits(double peak, std::string_view printed, double header_value) {
  const std::size_t point = printed.find('.');
  const int decimals =
      point == std::string_view::npos ? 0 : static_cast<int>(printed.size() - point - 1);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, peak);
  const auto shown = parse_number(buffer);
  return shown && *shown == header_value;
}

}  // namespace

parsed_record parse_knet(std::string_view text) {
  parsed_record r;
  r.rec.unit = accel_unit::gal;
  const std::vector<text_line> lines = split_lines(text);
  std::optional<double> dt;
  std::optional<std::pair<double, double>> scale;
  std::optional<std::string_view> max_acc;
  int max_acc_line = 0;
  std::size_t k = 0;
  for (; k < lines.size(); ++k) {
    const std::string_view t = trim(lines[k].text);
    // The counts begin with the first line that starts like a number.
    if (!t.empty() && (std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-')) break;
    const int number = lines[k].number;
    if (const auto v = value_after(t, "Sampling Freq(Hz)")) {
      dt = step_of_rate(*v);
      if (!dt) {
        r.error =
            record_error{number, "expected a sampling rate like \"100Hz\", found " + quoted(*v)};
        return r;
      }
    } else if (const auto s = value_after(t, "Scale Factor")) {
      scale = scale_of(*s);
      if (!scale) {
        r.error = record_error{number,
                               "expected a scale factor like \"3920(gal)/6182761\", "
                               "found " +
                                   quoted(*s)};
        return r;
      }
    } else if (const auto m = value_after(t, "Max. Acc. (gal)")) {
      max_acc = *m;
      max_acc_line = number;
    } else if (const auto d = value_after(t, "Dir.")) {
      r.rec.notes.push_back("direction " + std::string(*d));
    }
  }
  const int first_data = k < lines.size() ? lines[k].number : static_cast<int>(lines.size());
  if (!dt || !scale) {
    r.error = record_error{first_data, std::string("expected a \"") +
                                           (dt ? "Scale Factor" : "Sampling Freq(Hz)") +
                                           "\" line in the header before the counts"};
    return r;
  }
  r.rec.dt = *dt;
  for (; k < lines.size(); ++k) {
    for (const std::string_view f : split_fields(lines[k].text)) {
      const auto v = parse_number(f);
      if (!v || *v != std::trunc(*v)) {
        r.error = record_error{lines[k].number, "expected an integer count, found " + quoted(f)};
        return r;
      }
      r.rec.values.push_back(*v * scale->first / scale->second);
    }
  }
  if (r.rec.values.size() < 2) {
    r.error = record_error{
        first_data, "expected at least 2 counts, found " + std::to_string(r.rec.values.size())};
    return r;
  }
  // The counts carry the recorder's offset: the record is taken about its mean.
  double sum = 0.0;
  for (const double v : r.rec.values) sum += v;
  const double mean = sum / static_cast<double>(r.rec.values.size());
  double peak = 0.0;
  for (double& v : r.rec.values) {
    v -= mean;
    peak = std::max(peak, std::fabs(v));
  }
  if (max_acc) {
    const auto header = parse_number(*max_acc);
    if (!header || !agrees_to_printed_digits(peak, *max_acc, *header)) {
      char buffer[64];
      std::snprintf(buffer, sizeof buffer, "%.6g", peak);
      r.rec.notes.push_back("line " + std::to_string(max_acc_line) + ": Max. Acc. (gal) is " +
                            std::string(*max_acc) + " but the peak about the mean is " + buffer +
                            " gal");
    }
  }
  return r;
}

parsed_record parse_jma(std::string_view text, const record_options& options) {
  parsed_record r;
  r.rec.unit = accel_unit::gal;
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
        dt = step_of_rate(value);
        if (!dt) {
          r.error = record_error{number,
                                 "expected a sampling rate like \"100Hz\", found " + quoted(value)};
          return r;
        }
      } else if (key == "UNIT") {
        if (value == "gal")
          r.rec.unit = accel_unit::gal;
        else if (value == "m/s2" || value == "m/s/s")
          r.rec.unit = accel_unit::m_per_s2;
        else if (value == "g")
          r.rec.unit = accel_unit::g;
        else {
          r.error =
              record_error{number, "expected the unit gal, m/s2 or g, found " + quoted(value)};
          return r;
        }
      }
      continue;
    }
    // The line naming the columns.
    const std::vector<std::string_view> names = split_fields(t);
    for (std::size_t c = 0; c < names.size(); ++c) {
      if (names[c] == options.component) column = static_cast<int>(c);
    }
    if (column < 0) {
      r.error = record_error{number, "expected a line naming the columns (NS, EW, UD) with " +
                                         options.component + ", found " + quoted(t)};
      return r;
    }
  }
  if (!dt) {
    r.error = record_error{k < lines.size() ? lines[k].number : static_cast<int>(lines.size()),
                           "expected \"SAMPLING RATE= 100Hz\" in the header"};
    return r;
  }
  r.rec.dt = *dt;
  for (; k < lines.size(); ++k) {
    if (trim(lines[k].text).empty()) continue;
    const std::vector<std::string_view> fields = split_fields(lines[k].text);
    if (std::ssize(fields) <= column) {
      r.error =
          record_error{lines[k].number, "expected a value in column " + std::to_string(column + 1) +
                                            " (" + options.component + ")"};
      return r;
    }
    const std::string_view f = fields[static_cast<std::size_t>(column)];
    const auto v = parse_number(f);
    if (!v) {
      r.error = record_error{lines[k].number, "expected a number, found " + quoted(f)};
      return r;
    }
    r.rec.values.push_back(*v);
  }
  if (r.rec.values.size() < 2) {
    r.error = record_error{static_cast<int>(lines.size()), "expected at least 2 rows, found " +
                                                               std::to_string(r.rec.values.size())};
  }
  return r;
}

}  // namespace wavetool
