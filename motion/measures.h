// What an engineer checks in the time domain before a wave goes into a structural model: the
// peaks, the velocity and displacement it leaves behind, its intensity and its strong-motion
// duration. Everything in double; acceleration in gal (cm/s^2), sampled every dt seconds.
#pragma once

#include <cstddef>
#include <span>

namespace motion {

// Standard gravity (gal).
inline constexpr double standard_gravity = 980.665;

// Velocity (cm/s) and displacement (cm) of the ground from rest: vel[0] = dis[0] = 0, then the
// trapezoidal rule over each step, vel[i] = vel[i-1] + (acc[i-1] + acc[i])*dt/2 and dis likewise
// from vel. vel and dis need acc.size() elements. NaN and infinity propagate.
void integrate_from_rest(std::span<const double> acc, double dt, std::span<double> vel,
                         std::span<double> dis);

// The largest magnitude of a history and the first sample that reaches it (0, 0 when empty;
// a NaN sample is passed over).
struct peak {
  double value = 0.0;
  std::size_t index = 0;
};
peak peak_abs(std::span<const double> x);

// Arias intensity (m/s): pi/(2g) times the integral of a^2 dt, a in m/s^2, by the trapezoidal rule.
double arias_intensity(std::span<const double> acc, double dt);

// Significant duration D5-95 (s): the time between the moments the running Arias intensity
// (trapezoidal, as above) reaches 5 % and 95 % of its total, each found by linear
// interpolation inside its step. 0 for a wave without energy or of fewer than two samples.
double significant_duration(std::span<const double> acc, double dt);

// The whole time-domain report of a wave.
struct motion_summary {
  std::size_t samples = 0;
  double dt = 0.0;                // s
  double pga = 0.0;               // gal
  double pga_time = 0.0;          // s
  double pgv = 0.0;               // cm/s
  double pgd = 0.0;               // cm
  double end_velocity = 0.0;      // cm/s
  double end_displacement = 0.0;  // cm
  double arias = 0.0;             // m/s
  double d5_95 = 0.0;             // s
};
motion_summary summarize(std::span<const double> acc, double dt);

}  // namespace motion
