// A design spectrum at the periods of a wave's grid, as the fit aims at it and judges by it.
#pragma once

#include <vector>

#include "motion/design_spectrum.h"
#include "motion/grid.h"

namespace motion {

// True for the 1461 bedrock spectrum at the extremely rare level, Z = 1 and 5 % damping: the
// target fitwave fits, evaluated in single precision as fitwave does.
bool is_fitwave_target(const design_spectrum& s);

// The spectrum (gal) at grid points j = 2..nom, element j-1 (element 0 is 0). fitwave's target
// is evaluated as fitwave evaluates it; any other in double, rounded to float. A table is held
// at its first value below its first period and continued at constant pseudo-velocity
// (Sa proportional to 1/T) beyond its last: those periods lie outside any window it is judged
// over (the caller checks that the table covers the window) and only steer the correction.
std::vector<float> target_on_grid(const grid& g, const design_spectrum& s);

}  // namespace motion
