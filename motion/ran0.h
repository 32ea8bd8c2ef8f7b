// The minimal standard random generator that draws the seed wave's phases.
#pragma once

#include <cstdint>

namespace motion {

// Returns a uniform deviate in [0, 1) and advances idum, which holds the seed before the first
// call and the generator state XOR 123459876 between calls; nothing else is kept. Seeds
// 123459876 and +-2024023771 reach the fixed point 0: every later call returns 0.
double ran0(std::int32_t& idum);

}  // namespace motion
