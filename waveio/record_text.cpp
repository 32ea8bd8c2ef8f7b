#include "waveio/record_text.h"

#include <cmath>

#include "waveio/text_fields.h"

namespace waveio::detail {

bool is_comment(std::string_view line) {
  const std::string_view t = trim(line);
  return t.starts_with('#') || t.starts_with('%');
}

numbers_of_line numbers_in(std::string_view line) {
  numbers_of_line r;
  for (const std::string_view f : split_fields(line)) {
    const auto v = parse_number(f);
    if (!v) {
      r.bad = f;
      return r;
    }
    r.values.push_back(*v);
  }
  return r;
}

bool usable_step(double dt) {
  const auto single = static_cast<float>(dt);
  return dt > 0.0 && std::isfinite(dt) && single > 0.0f && std::isfinite(single);
}

}  // namespace waveio::detail
