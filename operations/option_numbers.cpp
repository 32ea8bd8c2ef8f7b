#include "operations/option_numbers.h"

#include <cmath>

#include "waveio/text_fields.h"

namespace wavetool {

std::optional<double> parse_real(std::string_view text) {
  // The records' rule: blanks around it, or "1.5-3" (two numbers run together), are no number.
  const auto v = waveio::parse_number(text);
  if (!v || !std::isfinite(*v) || text != waveio::trim(text)) return std::nullopt;
  return v;
}

std::optional<std::vector<double>> parse_reals(std::string_view text) {
  std::vector<double> values;
  while (true) {
    const std::size_t comma = text.find(',');
    const auto v = parse_real(text.substr(0, comma));
    if (!v) return std::nullopt;
    values.push_back(*v);
    if (comma == std::string_view::npos) return values;
    text.remove_prefix(comma + 1);
  }
}

std::optional<std::int64_t> parse_whole(std::string_view text) {
  const bool negative = text.starts_with('-');
  const std::string_view digits = text.substr(negative ? 1 : 0);
  if (digits.empty() || digits.size() > 18) return std::nullopt;
  if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
  std::int64_t v = 0;
  for (const char ch : digits) {
    if (ch < '0' || ch > '9') return std::nullopt;
    v = 10 * v + (ch - '0');
  }
  return negative ? -v : v;
}

}  // namespace wavetool
