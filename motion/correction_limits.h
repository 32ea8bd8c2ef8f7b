// Where the plain correction (target/computed at every grid point) is too slow or winds up.
//
// The top band. Near the Nyquist frequency an oscillator's peak is read at the samples only, a
// quarter cycle away from its resonance, so raising the coefficients at its own frequency hardly
// raises its spectral acceleration: the plain correction keeps raising them and their energy
// appears at the neighbouring periods. In the top band (periods below top_band time steps) the
// spectrum follows the coefficients only as a whole, so each coefficient is corrected through its
// neighbours: by the geometric mean of target/computed over the grid points within `neighbours`
// of the grid on either side, raised to a weight that grows by half while the mean keeps its sign
// (up to max_weight) and halves when it changes (down to 1/4), and held to max_step up or down in
// one iteration.
//
// The rest of the judged window. Where a grid point's spectrum answers its coefficient weakly (a
// band a record carries little of, the sparse long periods), the plain ratio moves it by a
// fraction of what it lacks each iteration. So a ratio that keeps its sign from one iteration to
// the next is raised to a weight that grows by half each time, up to plain_max_weight, and falls
// back by half, not below 1 (the plain correction), when the sign changes.
//
// Criterion 2. It judges the sum of the spectrum over 1..5 s, where a few grid points a little
// low leave the sum just short of the target's while the correction aims at the target. So the
// aim there is the target times a lift that follows criterion 2: multiplied after each iteration
// by (1 + sum_margin)/criterion 2, kept between 1 and sum_lift_most.
#pragma once

#include <span>
#include <vector>

#include "motion/criteria.h"
#include "motion/grid.h"

namespace motion {

struct correction_limits {
  float top_band = 3.0f;    // periods below 3 time steps
  float max_step = 4.0f;    // the most a coefficient changes in one iteration, there and elsewhere
  float neighbours = 0.1f;  // half-width of the averaging, as a fraction of the grid points
  float max_weight = 8.0f;  // the largest exponent of a ratio that keeps its sign, in the band
  float plain_max_weight = 2.0f;  // the same in the rest of the judged window (1: fitwave's)
  float plain_min_weight = 0.5f;  // the least it falls to there when the sign changes
  float sum_margin = 0.01f;       // criterion 2 is aimed at 1 + this
  float sum_lift_most = 1.03f;    // the most the aim over 1..5 s is raised (1: never)
};

// Whether period (s) lies in the top band of a wave sampled at dt (s).
inline bool in_top_band(float period, float dt, const correction_limits& limits) {
  return period < limits.top_band * dt;
}

class correction_control {
 public:
  correction_control(const grid& g, const correction_limits& limits, const period_window& window);

  // Brings aim (at grid points j = 2..nom, element j-1) towards current where the correction
  // aim/current is limited, and raises it over 1..5 s by the lift; elsewhere aim is left as it is.
  void limit(std::span<float> aim, std::span<const float> current);

  // Takes criterion 2 of the iteration just judged, for the lift of the next aim.
  void note_sum(float cr2);

 private:
  void limit_top_band(std::span<float> aim, std::span<const float> current);
  void limit_plain(std::span<float> aim, std::span<const float> current);

  correction_limits limits_;
  std::size_t first_plain_ = 0;                    // element of the longest period judged
  std::size_t first_watched_ = 0;                  // element of the longest period of the top band
  std::size_t first_summed_ = 0, end_summed_ = 0;  // elements of 5 s and beyond 1 s
  std::size_t half_width_ = 0;                     // grid points averaged on either side
  double lift_ = 1.0;
  std::vector<double> log_ratio_;
  std::vector<float> weight_;
  std::vector<signed char> sign_;  // of the last (mean) log ratio, 0 before the first
};

}  // namespace motion
