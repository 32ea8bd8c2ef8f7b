// The envelope's four corner times TB, TC, TD, TE (s) as the engineer gives them, to a fit, to a
// seed or in a plan: one rule, one way to read the numbers.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace wavetool {

// The order the corners must come in; each caller tells it in its own frame.
inline constexpr const char* corners_rule = "0 <= TB <= TC <= TD <= TE, TE > 0";

// The four values when there are four, finite, in the rule's order; nothing otherwise.
std::optional<std::array<double, 4>> ordered_corners(std::span<const double> values);

// The text TB,TC,TD,TE, each number as parse_real takes it, in the rule's order; nothing
// otherwise.
std::optional<std::array<double, 4>> corners_from_text(std::string_view text);

}  // namespace wavetool
