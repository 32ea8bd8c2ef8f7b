#include "operations/envelope_corners.h"

#include <cmath>
#include <vector>

#include "operations/option_numbers.h"

namespace wavetool {

std::optional<std::array<double, 4>> ordered_corners(std::span<const double> c) {
  // TE finite and the rest no later keeps every corner finite; NaN fails every comparison.
  if (!(c.size() == 4 && 0.0 <= c[0] && c[0] <= c[1] && c[1] <= c[2] && c[2] <= c[3] &&
        c[3] > 0.0 && std::isfinite(c[3]))) {
    return std::nullopt;
  }
  return std::array<double, 4>{c[0], c[1], c[2], c[3]};
}

std::optional<std::array<double, 4>> corners_from_text(std::string_view text) {
  const std::optional<std::vector<double>> values = parse_reals(text);
  if (!values) return std::nullopt;
  return ordered_corners(*values);
}

}  // namespace wavetool
