// What the record readers share: comment lines, the numbers of a line, the usable step.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "waveio/records.h"

namespace waveio::detail {

// A line whose first non-blank character is `#` or `%`.
bool is_comment(std::string_view line);

// Every field of a line as a number, or the first that is not one.
struct numbers_of_line {
  std::vector<double> values;
  std::optional<std::string_view> bad;
};
numbers_of_line numbers_in(std::string_view line);

// A step fitwave can use: positive and finite, and still positive in single precision.
bool usable_step(double dt);

// Whether a line is the fourth line of a PEER NGA record (NPTS and DT).
bool is_at2_size_line(std::string_view line);

// A sampling rate like "100Hz" as its step (s), if it gives a usable one.
std::optional<double> step_of_rate(std::string_view rate);

inline record_error error_at(int line, std::string message) {
  return {line, std::move(message)};
}

}  // namespace waveio::detail
