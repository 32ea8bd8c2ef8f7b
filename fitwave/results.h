// The result files: the spectra table (target and every iteration) and the fitted wave.
#pragma once

#include <cstdint>
#include <span>

#include "fitwave/grid.h"

namespace fitwave {

// Thins the rows of the spectra table, fed in increasing period: a row is kept unless its
// period lies less than 0.01 s from the period of the last row kept.
class row_thinning {
 public:
  bool keep(float period1);

 private:
  float period0_ = 9999.9f;
};

// Values in one table row: the period, then resa columns 0..nit (none of them when nit < 0).
std::size_t table_row_values(std::int32_t nit);

// Asks for the two file names (into infile, reused) and writes the spectra table on unit 11,
// rows nom..2 thinned to 0.01 s, and the fitted wave ddy[0..nt-1] with its envelope on unit 12.
// A blank or null name, or a file that cannot be written, ends the run with the fatal report.
void write_results(std::span<char> infile, const grid& g, std::int32_t nit, float ampfac,
                   std::span<const float> resa, std::span<const float> ddy,
                   std::span<const float> eamp);

}  // namespace fitwave
