// The frequency grid of a wave: the transform length and the circular frequencies whose
// spectral accelerations are fitted. Every real is a float, evaluated in float left to right;
// grid point j (from 1) stands for the circular frequency (j-1)*dom.
#pragma once

#include <complex>
#include <cstdint>

#include "numeric/single.h"

namespace motion {

using cplx = std::complex<float>;

// The longest transform, and so the most samples a wave may have.
inline constexpr std::int32_t max_transform_length = 32768;

// The wave and transform sizes and the frequency grid of one wave.
struct grid {
  std::int32_t nt = 0;   // samples of the wave
  float dt = 0.0f;       // time step (s)
  std::int32_t nf = 0;   // transform length, a power of two from 4 to 32768
  float dur = 0.0f;      // nf*dt (s)
  float dom = 0.0f;      // frequency step 2*pi/dur (rad/s)
  std::int32_t nom = 0;  // grid points, nf/2 + 1
  float eom = 0.0f;      // nom*dom (rad/s)
};

// The grid of a transform of nf samples at dt: dur = nf*dt, dom = 2*pi/dur, nom = nf/2 + 1,
// eom = nom*dom, all in single precision. dt = 0 gives infinite dom and eom.
grid make_grid(std::int32_t nt, float dt, std::int32_t nf);

struct transform_size {
  std::int32_t nf = 0;   // the smallest power of two from 4 to 32768 not below nt
  std::int32_t if1 = 0;  // its exponent, 2..15; 0 when nt > 32768
};
transform_size transform_length(std::int32_t nt);

// Circular frequency (rad/s) of grid point j: the integer j-1 converted, then multiplied.
inline float omega_at(std::int32_t j, float dom) {
  return static_cast<float>(j - 1) * dom;
}
// Period (s) of a circular frequency.
inline float period_of(float omega) {
  return numeric::two_pi / omega;
}

}  // namespace motion
