// The frequency grid of a wave: the transform length and the circular frequencies whose
// spectral accelerations are fitted. Every real is a float, evaluated in float left to right;
// grid point j (from 1) stands for the circular frequency (j-1)*dom.
#pragma once

#include <complex>
#include <cstdint>

#include "numeric/single.h"

namespace motion {

using cplx = std::complex<float>;

// fitwave's longest transform, and so the most samples it reads.
inline constexpr std::int32_t max_transform_length = 32768;
// wavetool's: 2^17 samples (1310.72 s at 0.01 s), since long-period design motions in Japan
// must last at least 500 s. One spectrum costs the square of the length.
inline constexpr std::int32_t max_design_transform_length = 131072;

// The wave and transform sizes and the frequency grid of one wave.
struct grid {
  std::int32_t nt = 0;   // samples of the wave
  float dt = 0.0f;       // time step (s)
  std::int32_t nf = 0;   // transform length, a power of two from 4 to 131072
  float dur = 0.0f;      // nf*dt (s)
  float dom = 0.0f;      // frequency step 2*pi/dur (rad/s)
  std::int32_t nom = 0;  // grid points, nf/2 + 1
  float eom = 0.0f;      // nom*dom (rad/s)
};

// The grid of a transform of nf samples at dt: dur = nf*dt, dom = 2*pi/dur, nom = nf/2 + 1,
// eom = nom*dom, all in single precision. dt = 0 gives infinite dom and eom.
grid make_grid(std::int32_t nt, float dt, std::int32_t nf);

struct transform_size {
  std::int32_t nf = 0;   // the smallest power of two from 4 to longest not below nt
  std::int32_t if1 = 0;  // its exponent, 2..log2(longest); 0 when nt > longest
};
// longest: a power of two from 4 to max_design_transform_length; fitwave's by default.
transform_size transform_length(std::int32_t nt, std::int32_t longest = max_transform_length);

// The grid of a wave of nt samples at dt as the design fit takes it: the transform the smallest
// power of two up to max_design_transform_length that holds the wave (nf = 0 beyond).
grid design_grid(std::int32_t nt, float dt);

// Circular frequency (rad/s) of grid point j: the integer j-1 converted, then multiplied.
inline float omega_at(std::int32_t j, float dom) {
  return static_cast<float>(j - 1) * dom;
}
// Period (s) of a circular frequency.
inline float period_of(float omega) {
  return numeric::two_pi / omega;
}

}  // namespace motion
