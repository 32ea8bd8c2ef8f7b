// The one reading of a number an option or a key gives as text: the text layer's scanner with
// the records' rule, so that `--dt`, `--window`, `--corners` and a plan's keys take the same
// spellings (1.5, 1.5e0, 1.5D0) and refuse the same slips.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace wavetool {

// The whole text as one finite number, by the text layer's scanner and the records' rule ("1.5-3"
// is two numbers run together); blanks around it are no part of a number; nullopt otherwise.
std::optional<double> parse_real(std::string_view text);
// Comma-separated numbers, each one as parse_real takes it; nullopt when any is not one.
std::optional<std::vector<double>> parse_reals(std::string_view text);
// The whole text as a whole number written in decimal digits, an optional '-' first
// ("1e3" and "010" are not whole numbers here: the first is a real, the second a typing slip).
std::optional<std::int64_t> parse_whole(std::string_view text);

}  // namespace wavetool
