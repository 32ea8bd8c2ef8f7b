#include "waveio/text_fields.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace waveio {

std::vector<text_line> split_lines(std::string_view text) {
  std::vector<text_line> lines;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back({++number, line});
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string_view trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool starts_with_ignoring_blanks(std::string_view s, std::string_view prefix) {
  return trim(s).starts_with(prefix);
}

std::vector<std::string_view> split_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    const std::size_t end = line.find_first_of(" \t,\r", i);
    if (end != i) fields.push_back(line.substr(i, end == std::string_view::npos ? end : end - i));
    if (end == std::string_view::npos) break;
    i = end + 1;
  }
  return fields;
}

std::optional<leading_number> parse_leading_number(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  // from_chars takes no '+' and no exponent letter D: scan a copy with both normalised,
  // remembering where each copied character stood in s.
  std::string copy;
  std::vector<std::size_t> origin;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') {
      copy.push_back('-');
      origin.push_back(i);
    }
    ++i;
  }
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c == 'E' || c == 'd' || c == 'D') c = 'e';
    const bool exponent_sign = (c == '+' || c == '-') && !copy.empty() && copy.back() == 'e';
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'e' || exponent_sign))
      break;
    copy.push_back(c);
    origin.push_back(i);
  }
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(copy.data(), copy.data() + copy.size(), value);
  if (ec != std::errc() || ptr == copy.data()) return std::nullopt;
  const auto used = static_cast<std::size_t>(ptr - copy.data());
  return leading_number{value, origin[used - 1] + 1};
}

std::optional<double> parse_number(std::string_view field) {
  const std::string_view t = trim(field);
  const auto n = parse_leading_number(t);
  if (!n || n->length != t.size()) return std::nullopt;
  return n->value;
}

std::string quoted(std::string_view s) {
  std::string q(1, '"');
  q.append(s);
  q.push_back('"');
  return q;
}

std::string float_text(float x) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(x));
  return {buffer, static_cast<std::size_t>(n)};
}

std::string short_text(double x) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%.9g", x);
  return {buffer, static_cast<std::size_t>(n)};
}

std::string shortest_text(float x) {
  char buffer[32];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, x);
  return {buffer, r.ptr};
}

std::string shortest_text(double x) {
  char buffer[40];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, x);
  return {buffer, r.ptr};
}

}  // namespace waveio
