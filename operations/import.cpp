#include "operations/import.h"

#include <algorithm>
#include <cmath>

#include "operations/wave_file.h"
#include "waveio/input_layout.h"
#include "waveio/text_fields.h"

namespace wavetool {

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
  return waveio::input_wave_text(gal, dt);
}

imported_record import_record(const record_request& request) {
  imported_record r;
  const std::string file = request.file.string();
  std::error_code ec;
  // Reading a folder fails only at the first read, with no reason given: say it.
  if (std::filesystem::is_directory(request.file, ec)) {
    r.error = files::file_error{file, 0, "cannot be read: Is a directory"};
    return r;
  }
  files::file_error read_error;
  const auto text = files::read_text(request.file, read_error);
  if (!text) {
    r.error = read_error;
    return r;
  }
  r.detected = !request.format;
  r.format = request.format ? *request.format : waveio::detect_format(*text);
  const waveio::parsed_record p = waveio::parse_record(*text, r.format, request.options);
  if (!p.ok()) {
    r.error = files::file_error{file, p.error->line, p.error->message};
    return r;
  }
  for (const waveio::record_note& note : p.rec.notes)
    r.notes.push_back({file, note.line, note.text});
  const sample_range range = window_of(p.rec.values.size(), p.rec.dt, request.start, request.end);
  if (range.count < 2) {
    r.error = files::file_error{file, 0,
                                "expected at least 2 samples between " +
                                    std::string(request.options.names.start) + " and " +
                                    std::string(request.options.names.end) + ", found " +
                                    std::to_string(range.count)};
    return r;
  }
  r.gal = to_gal(std::span(p.rec.values).subspan(range.first, range.count),
                 waveio::gal_per(p.rec.unit));
  r.dt = p.rec.dt;
  return r;
}

}  // namespace wavetool
