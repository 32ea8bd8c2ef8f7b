// Bringing a fitted wave to rest. The Fourier fit leaves a velocity offset that integrates into
// metres of drift; removing the envelope times a straight line, chosen so that velocity and
// displacement end at zero, takes it out with a correction that vanishes where the envelope does
// and lies far below the periods that are judged. Everything in double.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace motion {

// Velocity (cm/s) and displacement (cm) at the last sample, from rest by the trapezoidal rule.
struct end_motion {
  double velocity = 0.0;
  double displacement = 0.0;
};

// The thresholds of a wave at rest: |velocity| <= 0.1 cm/s and |displacement| <= 1 cm at the end.
inline constexpr double rest_velocity_limit = 0.1;
inline constexpr double rest_displacement_limit = 1.0;
bool at_rest(const end_motion& end);

// The drift removed: acc[i] -= shape[i]*(c0 + c1*i/(n-1)), in gal.
struct drift_line {
  double c0 = 0.0;
  double c1 = 0.0;
};

// Velocity, displacement and the drift's basis histories, sized once for the longest wave.
class rest_work {
 public:
  explicit rest_work(std::size_t capacity);

  // End velocity and displacement of acc (at most capacity samples) at step dt.
  end_motion end_of(std::span<const double> acc, double dt);
  // Peak absolute velocity (cm/s) and displacement (cm) of the last history given to end_of.
  double pgv() const;
  double pgd() const;

  // The line that, times shape, brings acc to rest; {0, 0} when fewer than two samples or when
  // the shape cannot move both ends (a zero shape).
  drift_line drift_of(std::span<const double> acc, std::span<const float> shape, double dt);

 private:
  std::vector<double> vel_, dis_, basis_;
  std::size_t n_ = 0;
};

// acc[i] -= shape[i]*(line.c0 + line.c1*i/(n-1)) for i = 0..n-1.
void remove_drift(std::span<double> acc, std::span<const float> shape, const drift_line& line);

}  // namespace motion
