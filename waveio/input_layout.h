// fitwave's input layout, "time(s),acc(gal)" then a time and an acceleration per record, and
// its reading, which also reads fitwave's fitted-wave layout: the reader takes the first two
// values of every record after the first, exactly as fitwave reads its input.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_error.h"

namespace waveio {

using files::file_error;

// A wave as fitwave sees it: single-precision samples and dt = time(2) - time(1) in float.
struct wave {
  std::vector<float> acc;  // gal
  float dt = 0.0f;         // s
};

struct wave_read {
  wave w;
  std::optional<file_error> error;
  bool ok() const { return !error; }
};

// Reads the wave by fitwave's grammar, from the text layer's free-form read: a header record
// (whatever it holds, a byte-order mark included), then one read of a time and an acceleration
// after another until the end of the text; each value is rounded to double and then to float.
// Refuses, naming the line: a number that cannot be read, a value not finite in single
// precision, a time left without its acceleration at the end, a last line cut without its line
// end after extra text (fitwave drops that pair); then fewer than two samples and
// a first step that is not a positive finite number.
wave_read read_wave_text(std::string_view text, const std::string& file);

// The header of the input layout written by wavetool, without its line end.
inline constexpr std::string_view input_header = "time(s),acc(gal)";

// The input layout: the header, then "time,acceleration" per sample, every line ending in
// CR LF. Times start at 0 and are i*dt, written so that their difference read in float gives
// float(dt) exactly; accelerations with 9 significant digits, enough to read back the float.
std::string input_wave_text(std::span<const float> gal, double dt);

}  // namespace waveio
