// The result files: the spectra table (target and every iteration) and the fitted wave.
#pragma once

#include <cstdint>
#include <span>

#include "motion/grid.h"
#include "motion/spectra_table.h"

namespace fitwave {

// Writes the spectra table of a fit of nit iterations to the named file on unit 11: the header,
// then rows nom..2, thinned to 0.01 s, of the period and columns 0..nit. A blank name, or a
// file that cannot be written, ends the run with the fatal report.
void write_spectra_table(std::span<const char> name, const motion::grid& g, std::int32_t nit,
                         const motion::spectra_table& resa);

// Writes the fitted wave ddy[0..nt-1] with its envelope and its shaping to the named file on
// unit 12; failures as for the table.
void write_fitted_wave(std::span<const char> name, const motion::grid& g, float ampfac,
                       std::span<const float> ddy, std::span<const float> eamp);

}  // namespace fitwave
