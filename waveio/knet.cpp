// K-NET / KiK-net ASCII records: `key value` header lines, then integer counts.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>

#include "waveio/record_text.h"
#include "waveio/text_fields.h"

namespace waveio {

using detail::error_at;
namespace {

// The value after a header key ("Sampling Freq(Hz)  100Hz" gives "100Hz"), if the line has it.
std::optional<std::string_view> value_after(std::string_view line, std::string_view key) {
  const std::string_view t = trim(line);
  if (!t.starts_with(key)) return std::nullopt;
  std::string_view v = t.substr(key.size());
  if (v.starts_with('=')) v.remove_prefix(1);
  return trim(v);
}

// "3920(gal)/6182761": the numerator and the denominator.
std::optional<std::pair<double, double>> scale_of(std::string_view s) {
  const auto num = parse_leading_number(s);
  const std::size_t slash = s.find('/');
  if (!num || slash == std::string_view::npos) return std::nullopt;
  const auto den = parse_number(s.substr(slash + 1));
  if (!den || *den == 0.0 || !std::isfinite(num->value) || !std::isfinite(*den))
    return std::nullopt;
  return std::pair{num->value, *den};
}

// Whether the peak, printed with as many decimals as the header's value, gives that value: the
// header states the peak to its own last decimal, no finer.
bool agrees_to_printed_digits(double peak, std::string_view printed, double header_value) {
  const std::size_t point = printed.find('.');
  const int decimals =
      point == std::string_view::npos ? 0 : static_cast<int>(printed.size() - point - 1);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", std::min(decimals, 20), peak);
  const auto shown = parse_number(buffer);
  return shown && *shown == header_value;
}

}  // namespace

namespace detail {
std::optional<double> step_of_rate(std::string_view rate) {
  const auto n = parse_leading_number(rate);
  if (!n || !usable_step(1.0 / n->value)) return std::nullopt;
  return 1.0 / n->value;
}
}  // namespace detail

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
      dt = detail::step_of_rate(*v);
      if (!dt) {
        r.error = error_at(number, "expected a sampling rate like \"100Hz\", found " + quoted(*v));
        return r;
      }
    } else if (const auto s = value_after(t, "Scale Factor")) {
      scale = scale_of(*s);
      if (!scale) {
        r.error = error_at(
            number, "expected a scale factor like \"3920(gal)/6182761\", found " + quoted(*s));
        return r;
      }
    } else if (const auto m = value_after(t, "Max. Acc. (gal)")) {
      max_acc = *m;
      max_acc_line = number;
    } else if (const auto d = value_after(t, "Dir.")) {
      // As the file gives it ("N-S") where that is a short printable word, else quoted, so
      // the note stays one short line whatever the field holds.
      const bool plain =
          d->size() <= 40 &&
          std::all_of(d->begin(), d->end(), [](char ch) { return ch > ' ' && ch < 127; }) &&
          !d->empty();
      r.rec.notes.push_back({0, "direction " + (plain ? std::string(*d) : quoted(*d))});
    }
  }
  const int first_data = k < lines.size() ? lines[k].number : static_cast<int>(lines.size());
  if (!dt || !scale) {
    r.error = error_at(first_data, std::string("expected a \"") +
                                       (dt ? "Scale Factor" : "Sampling Freq(Hz)") +
                                       "\" line in the header before the counts");
    return r;
  }
  r.rec.dt = *dt;
  for (; k < lines.size(); ++k) {
    for (const std::string_view f : split_fields(lines[k].text)) {
      const auto v = parse_number(f);
      if (!v || *v != std::trunc(*v)) {
        r.error = error_at(lines[k].number, "expected an integer count, found " + quoted(f));
        return r;
      }
      r.rec.values.push_back(*v * scale->first / scale->second);
      r.lines.push_back(lines[k].number);
    }
  }
  if (r.rec.values.size() < 2) {
    r.error = error_at(first_data,
                       "expected at least 2 counts, found " + std::to_string(r.rec.values.size()));
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
      r.rec.notes.push_back({max_acc_line, "Max. Acc. (gal) is " + quoted(*max_acc) +
                                               " but the peak about the mean is " + buffer +
                                               " gal"});
    }
  }
  return r;
}

}  // namespace waveio
