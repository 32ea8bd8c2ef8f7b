// Fixed capacities of fitwave and its frequency grid. Every real is a 32-bit float, evaluated in
// float left to right; grid point j (from 1) stands for the circular frequency (j-1)*dom.
#pragma once

#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>

namespace fitwave {

// Samples every array holds; the spectra table resa has this many rows.
inline constexpr std::size_t capacity = 66000;
// Columns of resa: 0 the target, k = 1..10 the spectrum after iteration k.
inline constexpr std::size_t ncol = 11;
// Units of the input wave (later the spectra table) and of the fitted wave.
inline constexpr int wave_unit = 11;
inline constexpr int fitted_unit = 12;
// 2*pi as the single-precision constant of the whole program.
inline constexpr float two_pi = 6.2831855f;

using cplx = std::complex<float>;

// The wave and transform sizes and the frequency grid of one run.
struct grid {
  std::int32_t nt = 0;   // samples of the wave
  float dt = 0.0f;       // time step (s)
  std::int32_t nf = 0;   // transform length, a power of two from 4 to 32768
  float dur = 0.0f;      // nf*dt (s)
  float dom = 0.0f;      // frequency step 2*pi/dur (rad/s)
  std::int32_t nom = 0;  // grid points, nf/2 + 1
  float eom = 0.0f;      // nom*dom (rad/s)
};

// Circular frequency (rad/s) of grid point j: the integer j-1 converted, then multiplied.
inline float omega_at(std::int32_t j, float dom) {
  return static_cast<float>(j - 1) * dom;
}
// Period (s) of a circular frequency.
inline float period_of(float omega) {
  return two_pi / omega;
}

// Column k of the spectra table, stored column by column; row j is element j-1.
inline std::span<float> resa_column(std::span<float> resa, std::size_t k) {
  return resa.subspan(k * capacity, capacity);
}
inline std::span<const float> resa_column(std::span<const float> resa, std::size_t k) {
  return resa.subspan(k * capacity, capacity);
}

}  // namespace fitwave
