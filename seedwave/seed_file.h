// The seed file: the seed wave as comma-separated time and acceleration, the layout fitwave
// reads as its input wave.
#pragma once

#include <span>
#include <string_view>

namespace seedwave {

inline constexpr int seed_unit = 9;  // the unit the seed file is connected to

// Opens name on seed_unit (created when missing, overwritten when it exists), writes the seed
// file's layout (waveio/seed_file.h) record by record at seedwave's step: the header
// "time(sec),seed-Acc(gal)" as a free-form record, then sample i as "(F8.2,',',E12.4)" of its
// time i*dt (s) and acc[i] (gal), and closes the file. A failure ends the run with the fatal
// report.
void write_seed_file(std::string_view name, std::span<const double> acc);

}  // namespace seedwave
