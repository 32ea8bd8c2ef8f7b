// The seed file: a seed wave as comma-separated time and acceleration, the layout fitwave reads
// as its input wave.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace waveio {

// The header line, written as a free-form record (so with a leading blank).
inline constexpr std::string_view seed_file_header = "time(sec),seed-Acc(gal)";

// The edit pattern of a row, time (s) then acceleration (gal): "(F8.2,',',E12.4)" for a step
// that two decimals show; otherwise the time takes the fewest decimals, up to 9, whose reading in
// float gives float(dt), in a field 6 wider than its decimals (times below 100000 s).
std::string seed_row_pattern(double dt);
inline constexpr int max_seed_decimals = 9;
// The decimals of that time field for dt: nothing when even 9 do not give float(dt) back
// (1e-10 s would be written as 0.000000000, 0.0033333333333 s as 0.003333333), a step the file
// cannot hold.
std::optional<int> seed_step_decimals(double dt);

// The whole file: the header, then sample i as seed_row_pattern(dt) of i*dt and acc[i], every
// record ending in CR LF. Never fails.
std::string seed_file_text(std::span<const double> acc, double dt);

}  // namespace waveio
