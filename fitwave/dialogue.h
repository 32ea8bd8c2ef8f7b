// The console of a fitwave run: the questions (input file, iterations, corner times, ampfac,
// result names), the lines printed at each stage, and the ends of a run that cannot go on.
#pragma once

#include <array>
#include <cstdint>

#include "fitwave/wave_file.h"
#include "motion/criteria.h"
#include "motion/fit.h"
#include "motion/grid.h"

namespace fitwave {

// A file name as typed into its 20-character field, padded with blanks.
using file_name = std::array<char, 20>;

struct settings {
  file_name infile{};            // input file name
  std::int32_t nit = 0;          // iterations, at most 10 (0 and negative are taken)
  motion::corner_times corners;  // envelope corner times (s)
  float ampfac = 0.0f;           // exponent of the envelope
};

// Asks every question on the console and returns the answers. A null answer (a lone comma or
// slash) to a yes/no question or to the iteration count counts as 0. A bad answer or the end
// of console input ends the run with the fatal report.
settings ask_settings();

// The default exponent 1/nit in single precision (+inf for nit = 0).
float default_ampfac(std::int32_t nit);

// "NT and DT=" for a wave that can be fitted; for one that cannot, its one-line reason and the
// end of the run with status 1 (no result file is written).
void report_wave(const wave& w);

// The transform length; a wave over 32768 samples ends the run normally (status 0).
void report_transform_length(const motion::transform_size& size);

// The frequency grid, before the spectral preparation.
void report_grid(const motion::grid& g);

// The start of the iterations, each iteration's number before it runs, its measures after.
void report_fit_start();
void report_iteration(std::int32_t iit);
void report_criteria(const motion::criteria& c);

// Asks for the spectra table's name. A null answer keeps the old text, so the name is cleared
// first: it cannot then name the input wave, which the table would overwrite.
void ask_table_name(file_name& name);
// Asks for the fitted wave's name (a fixed-width read of the whole field).
void ask_fitted_wave_name(file_name& name);

}  // namespace fitwave
