// The questions of a fitwave run: input file name, iterations, corner times and ampfac.
#pragma once

#include <array>
#include <cstdint>

namespace fitwave {

struct settings {
  std::array<char, 20> infile{};  // input file name as typed, padded with blanks
  std::int32_t nit = 0;           // iterations, at most 10 (0 and negative are taken)
  float tb = 4.0f;                // envelope corner times (s): end of the rise,
  float tc = 35.0f;               // end of the constant part,
  float td = 60.0f;               // end of the exponential decay,
  float te = 80.0f;               // end of the wave
  float ampfac = 0.0f;            // exponent of the envelope
};

// Asks every question on the console and returns the answers. A null answer (a lone comma or
// slash) to a yes/no question or to the iteration count counts as 0. A bad answer or the end
// of console input ends the run with the fatal report.
settings ask_settings();

// The default exponent 1/nit in single precision (+inf for nit = 0).
float default_ampfac(std::int32_t nit);

}  // namespace fitwave
