// The characters of free-form input that both the number and the text scanners decide on, and
// the repeat count r* that may stand before either kind of value.
#pragma once

#include <cstdint>
#include <string_view>

#include "textio/detail/scan.h"

namespace textio::detail {

// Significant digits kept of a number, and the longest repeat count accepted.
inline constexpr std::size_t max_digits = 40;

inline bool is_digit(int c) {
  return c >= '0' && c <= '9';
}
inline bool is_blank(int c) {
  return c == ' ' || c == '\t';
}
// Characters that end an unquoted value, and that make "r*" a run of null values.
inline bool ends_value(int c) {
  return c == char_source::eof || c == ' ' || c == '\t' || c == ',' || c == '/' || c == '\n';
}

// A repeat count from the digits typed before "*": zero, or longer than 40 digits, is refused
// (bad_repetition_count); a count beyond 32 bits is taken as 2^31-1.
scan_error repeat_count(std::string_view digits, std::int64_t& repeat);

}  // namespace textio::detail
