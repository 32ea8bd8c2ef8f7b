// The fixed grid of the seed wave: nt samples dt apart, and the nom positive frequency points of
// its spectrum, dom apart up to the Nyquist frequency eom. The run prints these values and the
// spectrum is drawn on them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <numbers>

#include "motion/seed_wave.h"

namespace seedwave {

// Every seed's default length and step, seedwave's fixed ones.
inline constexpr std::int32_t nt = motion::default_seed_samples;  // samples of the seed wave
inline constexpr double dt = motion::default_seed_dt;             // time step (s)
inline constexpr std::int32_t capacity = 131080;  // declared length of the program's arrays
inline constexpr double pi = std::numbers::pi;    // 4*atan(1) to full double precision
inline constexpr double dur = nt * dt;            // duration (s)
inline constexpr double dom = 2.0 * pi / dur;     // frequency step (rad/s)
inline constexpr std::int32_t nom = nt / 2;       // positive frequency points
inline constexpr double eom = pi / dt;            // highest circular frequency (rad/s)

// The time of sample i (s), counted from 0.
inline double sample_time(std::size_t i) {
  return static_cast<double>(i) * dt;
}

}  // namespace seedwave
