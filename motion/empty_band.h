// Content for the band a resampled wave never had. A record sampled at a coarser step holds
// nothing between its own Nyquist frequency and the finer grid's (25-50 Hz for 0.02 s resampled
// to 0.01 s), and a correction by ratios cannot raise a coefficient that is zero: the shortest
// periods would follow the peak acceleration alone and stay below the target. The fit starts that
// band at the level of the octave below it, with random phases, and corrects it from there.
#pragma once

#include <span>

#include "motion/grid.h"

namespace motion {

// Gives every coefficient fds[k] (k = 1..nom-1, circular frequency k*dom) above the Nyquist
// frequency of recorded_step the mean modulus of the coefficients of the octave below it and a
// phase 2*pi*ran0 from a fixed seed, so a fit is repeatable. Nothing changes unless
// recorded_step > g.dt.
void fill_empty_band(const grid& g, float recorded_step, std::span<cplx> fds);

}  // namespace motion
