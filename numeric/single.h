// Single-precision conventions shared by the float routines: one 2*pi, and the rule that library
// functions run in double on the widened float and their result is stored as float.
#pragma once

namespace numeric {

// 2*pi as the single-precision constant of every float routine.
inline constexpr float two_pi = 6.2831855f;

// The rounding of a double library result to the float it is stored in.
inline float to_single(double x) {
  return static_cast<float>(x);
}

}  // namespace numeric
