// Small text helpers shared by the wave-file and record readers: lines with their numbers, fields,
// numbers, and numbers as text for messages and files.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace waveio {

// One line of a text, without its line end (LF or CR LF), and its number from 1.
struct text_line {
  int number = 0;
  std::string_view text;
};
// A UTF-8 byte-order mark at the start is skipped.
std::vector<text_line> split_lines(std::string_view text);

std::string_view trim(std::string_view s);
bool starts_with_ignoring_blanks(std::string_view s, std::string_view prefix);

// Fields separated by blanks, tabs or commas; empty fields (a trailing comma) are dropped.
std::vector<std::string_view> split_fields(std::string_view line);

// A whole field as a decimal number, read by the text layer's scanner and correctly rounded to
// double: an optional sign, digits with an optional point, an optional exponent after E, e, D or
// d. Nothing else may follow. The value may be infinite (a huge exponent): callers judge it.
std::optional<double> parse_number(std::string_view field);

// The number at the start of s (after blanks), and how many characters it took; nullopt when
// s does not start with one.
struct leading_number {
  double value = 0.0;
  std::size_t length = 0;
};
std::optional<leading_number> parse_leading_number(std::string_view s);

// s between double quotes, for messages: cut after 40 characters with "...", and every byte that
// is not printable ASCII escaped (\t, \xNN), as are " and \.
std::string quoted(std::string_view s);
// The choices of a message or a help text: "a", "a or b", "a, b or c".
std::string choice_list(const std::vector<std::string>& words);

// A float written with 9 significant digits, enough to read back the same float.
std::string float_text(float x);
// A double written with up to 9 significant digits, without trailing zeros.
std::string short_text(double x);
// The shortest decimal that reads back as the same float (0.01f as "0.01"), or double.
std::string shortest_text(float x);
std::string shortest_text(double x);

}  // namespace waveio
