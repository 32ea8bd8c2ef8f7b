#include "waveio/text_fields.h"

#include <charconv>
#include <cstdio>

#include "textio/textio.h"

namespace waveio {

std::vector<text_line> split_lines(std::string_view text) {
  std::vector<text_line> lines;
  int number = 0;
  // A UTF-8 byte-order mark, written by some editors, is not part of the first line.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
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
  const textio::scanned_number n = textio::scan_real(s.substr(i));
  if (n.error != textio::number_error::none) return std::nullopt;
  // The scanner also takes an exponent after a bare sign ("1.5-3"); in a record that is more
  // likely two numbers run together by a full fixed-width field, so it is not a number here.
  for (std::size_t j = i + 1; j < i + n.next; ++j) {
    const char c = s[j], before = s[j - 1];
    const bool letter = before == 'E' || before == 'e' || before == 'D' || before == 'd';
    if ((c == '+' || c == '-') && !letter) return std::nullopt;
  }
  return leading_number{n.value, i + n.next};
}

std::optional<double> parse_number(std::string_view field) {
  const std::string_view t = trim(field);
  const auto n = parse_leading_number(t);
  if (!n || n->length != t.size()) return std::nullopt;
  return n->value;
}

std::string choice_list(const std::vector<std::string>& words) {
  std::string listed;
  for (std::size_t k = 0; k < words.size(); ++k) {
    listed += (k == 0 ? "" : k + 1 == words.size() ? " or " : ", ") + words[k];
  }
  return listed;
}

std::string quoted(std::string_view s) {
  // A message stays one short line of plain text whatever the file holds.
  constexpr std::size_t shown = 40;
  const bool cut = s.size() > shown;
  if (cut) s = s.substr(0, shown);
  std::string q(1, '"');
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '\t') {
      q += "\\t";
    } else if (c == '"' || c == '\\') {
      q += '\\';
      q += c;
    } else if (b < 0x20 || b >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", b);
      q += hex;
    } else {
      q += c;
    }
  }
  if (cut) q += "...";
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
