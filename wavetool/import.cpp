#include "wavetool/import.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "waveio/text_fields.h"
#include "wavetool/wave_file.h"

namespace wavetool {

using waveio::float_text;
namespace {

std::string number_text(double x, int digits) {
  char buffer[40];
  const int n = std::snprintf(buffer, sizeof buffer, "%.*g", digits, x);
  return {buffer, static_cast<std::size_t>(n)};
}

// 9 digits where fitwave's reading of them (to double, then to float) gives float(dt), else 17.
int time_digits(double dt) {
  const std::string t = number_text(dt, 9);
  const double read = std::strtod(t.c_str(), nullptr);
  return static_cast<float>(read) == static_cast<float>(dt) ? 9 : 17;
}

}  // namespace

std::vector<float> to_gal(std::span<const double> values, double factor) {
  std::vector<float> gal(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) gal[i] = static_cast<float>(values[i] * factor);
  return gal;
}

sample_range window_of(std::size_t samples, double dt, std::optional<double> start,
                       std::optional<double> end) {
  const double n = static_cast<double>(samples);
  const double first = start ? std::max(0.0, std::ceil(*start / dt - 1e-6)) : 0.0;
  const double last = end ? std::min(n - 1.0, std::floor(*end / dt + 1e-6)) : n - 1.0;
  if (!(first <= last)) return {};
  return {static_cast<std::size_t>(first), static_cast<std::size_t>(last - first) + 1};
}

std::string wave_text(std::span<const float> gal, double dt) {
  const int digits = time_digits(dt);
  std::string text = "time(s),acc(gal)\r\n";
  text.reserve(gal.size() * 32);
  for (std::size_t i = 0; i < gal.size(); ++i) {
    text += number_text(static_cast<double>(i) * dt, digits);
    text += ',';
    text += float_text(gal[i]);
    text += "\r\n";
  }
  return text;
}

imported_record import_record(const record_request& request) {
  imported_record r;
  const std::string file = request.file.string();
  std::error_code ec;
  // Reading a folder fails only at the first read, with no reason given: say it.
  if (std::filesystem::is_directory(request.file, ec)) {
    r.error = waveio::file_error{file, 0, "cannot be read: Is a directory"};
    return r;
  }
  waveio::file_error read_error;
  const auto text = read_text(request.file, read_error);
  if (!text) {
    r.error = read_error;
    return r;
  }
  r.detected = !request.format;
  r.format = request.format ? *request.format : waveio::detect_format(*text);
  const waveio::parsed_record p = waveio::parse_record(*text, r.format, request.options);
  if (!p.ok()) {
    r.error = waveio::file_error{file, p.error->line, p.error->message};
    return r;
  }
  for (const waveio::record_note& note : p.rec.notes)
    r.notes.push_back({file, note.line, note.text});
  const sample_range range = window_of(p.rec.values.size(), p.rec.dt, request.start, request.end);
  if (range.count < 2) {
    r.error = waveio::file_error{file, 0,
                                 "expected at least 2 samples between --start and --end, found " +
                                     std::to_string(range.count)};
    return r;
  }
  r.gal = to_gal(std::span(p.rec.values).subspan(range.first, range.count),
                 waveio::gal_per(p.rec.unit));
  r.dt = p.rec.dt;
  return r;
}

}  // namespace wavetool
