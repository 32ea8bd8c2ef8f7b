// Edit patterns such as "(F8.4,20(',',E12.4))": parsing into a flat list of steps and the walk
// that lays values out into records.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "textio/detail/render.h"
#include "textio/textio.h"

namespace textio::detail {

struct pattern_step {
  enum class code { text, blanks, slash, i_field, f_field, e_field, group_start, group_end, end };
  code c = code::end;
  int n = 0;             // blanks: count; group_start: repeat count; fields: width
  int d = 0;             // F and E: decimals or significant digits
  std::size_t jump = 0;  // group_start: its group_end; group_end: its group_start
  std::string text;      // literal text, doubled apostrophes already made single
};

struct parsed_pattern {
  std::vector<pattern_step> steps;  // ends with code::end, the final parenthesis
  std::size_t restart = 0;          // the last group of the outermost level, or 0 without groups
  bool ok = false;
};

parsed_pattern parse_pattern(std::string_view pattern);

// Lays out the values under the pattern: one or more records, each ended through out.
void walk_pattern(const parsed_pattern& p, std::span<const value> values, record_writer& out);

}  // namespace textio::detail
