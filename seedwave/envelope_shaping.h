// The seed wave shaped by the four-corner time envelope.
#pragma once

#include <span>

#include "seedwave/grid.h"

namespace seedwave {

// Envelope corner times (s); the defaults are those the run offers, te at the end of the wave.
struct corner_times {
  double tb = 4.0;
  double tc = 35.0;
  double td = 60.0;
  double te = dur;
};

inline constexpr double afac = 0.1;  // envelope level at td, fixed

// Multiplies sample i of acc, at time i*dt, by denvamp(i*dt, tb, tc, td, te, afac). Corners in
// any order are taken as given. Never fails.
void shape_with_envelope(std::span<double> acc, const corner_times& c);

}  // namespace seedwave
