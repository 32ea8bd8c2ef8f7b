// The text-layer units of fitwave's files and the fixed size of its arrays.
#pragma once

#include <cstddef>

namespace fitwave {

// The input wave, and later the spectra table, on one unit; the fitted wave on another.
inline constexpr int wave_unit = 11;
inline constexpr int table_unit = wave_unit;
inline constexpr int fitted_unit = 12;

// Samples every array holds, and rows of the spectra table; waves beyond it are counted only.
inline constexpr std::size_t capacity = 66000;

}  // namespace fitwave
