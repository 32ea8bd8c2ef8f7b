// Content for the band a wave lacks. A record sampled at a coarser step and resampled holds
// nothing between its own Nyquist frequency and the finer grid's (25-50 Hz for 0.02 s resampled
// to 0.01 s); so does a record low-passed at 25 Hz and given at 0.005 s. A correction by ratios
// cannot raise a coefficient that is zero: the shortest periods would follow the peak
// acceleration alone and stay below the target. The fit starts that band at the level of the
// octave below it, with random phases, and corrects it from there.
#pragma once

#include <cstddef>
#include <span>

#include "motion/criteria.h"
#include "motion/fit_tuning.h"
#include "motion/grid.h"

namespace motion {

// The first coefficient (k, circular frequency k*dom) of the band the coefficients fds[1..nom-1]
// lack: from there to the Nyquist frequency, no band of about a sixth of an octave (k/band_parts
// coefficients) holds more than empty_level of the mean modulus of the octave below. nom when
// the wave lacks none.
std::size_t empty_band_start(const grid& g, std::span<const cplx> fds,
                             const lacking_band_tuning& tuning = {});

// The first coefficient of the band the fit fills: above the Nyquist frequency of recorded_step
// when the wave was resampled from that step (recorded_step > g.dt), else empty_band_start; nom
// when the wave lacks none, or when what it lacks lies wholly at periods below the judged window.
std::size_t lacking_band(const grid& g, std::span<const cplx> fds, float recorded_step,
                         const period_window& judged, const lacking_band_tuning& tuning = {});

// Gives every coefficient fds[k] from first to nom-1 the mean modulus of the coefficients of the
// octave below first and a phase 2*pi*ran0 from a fixed seed, so a fit is repeatable.
void fill_empty_band(const grid& g, std::size_t first, std::span<cplx> fds);

}  // namespace motion
