// The damped response spectrum (5 % unless a job gives its damping) of a wave at every point of its
// frequency grid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "numeric/spectrum.h"

namespace motion {

// How a response_spectrum computes: the batched engine, or the scalar oscillator loop in which
// fitwave's arithmetic is first written. Both give the same values bit for bit; the tests hold a
// fitwave built on the loop to the program's bytes.
enum class spectrum_method { batched, scalar_loop };

// Owns the frequency list, the oscillator histories of the scalar loop and the threads of the
// batched engine; construct it once, at the start of a run. threads as for the engine (<= 0: one
// per hardware thread); the values do not depend on it.
class response_spectrum {
 public:
  // Damping ratio of every oscillator by default: 5 % of critical.
  static constexpr float h = 0.05f;

  explicit response_spectrum(std::size_t size, int threads = 0, float damping = h,
                             spectrum_method method = spectrum_method::batched);

  // For j = 2..nom, sa[j-1] = peak absolute acceleration (gal) of the oscillator with
  // omega = (j-1)*dom (rad/s) under ddy[0..nt-1] (gal) at step dt (s). sa[0] is left alone.
  // Needs 2 <= nt <= size and nom <= sa.size().
  void compute(std::span<const float> ddy, std::int32_t nt, float dt, float dom, std::int32_t nom,
               std::span<float> sa);

 private:
  float damping_;
  spectrum_method method_;
  std::vector<float> omega_, acc_, vel_, dis_;
  numeric::spectrum_engine engine_;
};

// The peak absolute acceleration (gal) of oscillators of the given periods (s) and damping
// under acc (gal) at step dt (s), computed in single precision as the fit's spectra are.
std::vector<float> spectrum_at_periods(std::span<const float> acc, float dt, float damping,
                                       std::span<const double> periods);

}  // namespace motion
