#include "wavetool/wave_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "waveio/text_fields.h"

namespace wavetool {

using waveio::float_text;
using waveio::parse_number;
using waveio::split_fields;
using waveio::split_lines;
using waveio::text_line;
using waveio::trim;

std::string describe(const file_error& e) {
  std::string s = "wavetool: " + e.file;
  if (e.line > 0) s += ":" + std::to_string(e.line);
  return s + ": " + e.message;
}

wave_result parse_wave(std::string_view text, const std::string& file) {
  wave_result r;
  std::vector<float> time;
  const std::vector<text_line> lines = split_lines(text);
  for (std::size_t k = 1; k < lines.size(); ++k) {
    const std::vector<std::string_view> fields = split_fields(lines[k].text);
    if (fields.empty()) continue;
    const auto t = parse_number(fields[0]);
    const auto a = fields.size() >= 2 ? parse_number(fields[1]) : std::nullopt;
    if (!t || !a) {
      r.error = file_error{file, lines[k].number,
                           "expected a time and an acceleration, found \"" +
                               std::string(trim(lines[k].text)) + "\""};
      return r;
    }
    time.push_back(static_cast<float>(*t));
    r.w.acc.push_back(static_cast<float>(*a));
  }
  if (r.w.acc.size() < 2) {
    r.error = file_error{file, 0,
                         "expected a header line and at least 2 lines of time and acceleration, "
                         "found " +
                             std::to_string(r.w.acc.size())};
    return r;
  }
  r.w.dt = time[1] - time[0];
  if (!(r.w.dt > 0.0f) || !std::isfinite(r.w.dt)) {
    r.error = file_error{
        file, 3, "expected a time after the first, found a step of " + float_text(r.w.dt) + " s"};
  }
  return r;
}

wave_result read_wave(const std::filesystem::path& path) {
  wave_result r;
  file_error e;
  const auto text = read_text(path, e);
  if (!text) {
    r.error = e;
    return r;
  }
  return parse_wave(*text,
                    path == standard_stream ? std::string(standard_input_name) : path.string());
}

}  // namespace wavetool
