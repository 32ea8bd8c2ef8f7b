// Response of a damped single-degree-of-freedom oscillator to a sampled ground acceleration.
#pragma once

#include <span>

namespace numeric {

// Recurrence coefficients of one oscillator, exact for ground acceleration varying linearly
// between samples. x' = a12*dx + a11*x + b12*g(m) + b11*g(m-1), dx' likewise with a22, a21, b22,
// b21; the absolute acceleration is mhw2*dx' - w2*x' with mhw2 = -(2*h*w).
struct resp_coefficients {
  float a11, a12, a21, a22;
  float b11, b12, b21, b22;
  float w2, mhw2;
};

// Coefficients for damping ratio h (0 <= h < 1), circular frequency w > 0 (rad/s) and step
// dt > 0 (s). Outside those ranges the values are non-finite; nothing is reported.
resp_coefficients resp_coefficients_for(float h, float w, float dt);

// Response to ddy[0..nn-1] (gal): fills acc (absolute acceleration, gal), vel (relative
// velocity, gal*s) and dis (relative displacement, gal*s^2) at samples 0..nn-1, and returns in
// sa, sv, sd their largest magnitudes over samples 1..nn-1 (0 when nn < 2). The oscillator
// starts at rest relative to the ground with velocity -ddy[0]*dt. The four arrays need at
// least max(nn, 1) elements. This scalar routine is the reference for every faster engine.
void resp(float h, float w, float dt, int nn, std::span<const float> ddy, std::span<float> acc,
          std::span<float> vel, std::span<float> dis, float& sa, float& sv, float& sd);

}  // namespace numeric
