// The project's wave files: reading the layouts fitwave reads and writes, and writing a file so
// that a failure never leaves half of it or touches an existing one.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "waveio/file_error.h"
#include "wavetool/output_files.h"

namespace wavetool {

using waveio::file_error;
// "wavetool: FILE:LINE: message" (without ":LINE" for line 0), no line end.
std::string describe(const file_error& e);

// A wave as fitwave sees it: single-precision samples and dt = time(2) - time(1) in float.
struct wave {
  std::vector<float> acc;  // gal
  float dt = 0.0f;         // s
};

struct wave_result {
  wave w;
  std::optional<file_error> error;
  bool ok() const { return !error; }
};

// Reads fitwave's input layout (a header line, then time and acceleration per line) or its
// fitted-wave layout (a header line, then time, acceleration, eamp, eamp^ampfac and a trailing
// comma): the first two numbers of every line after the first. Each number is rounded to double
// and then to float, as fitwave reads it. Blank lines are passed over. Fails on a line without
// two numbers, on fewer than two samples, and on a step that is not positive.
wave_result parse_wave(std::string_view text, const std::string& file);
wave_result read_wave(const std::filesystem::path& path);

}  // namespace wavetool
