// Where the plain correction (target/computed at every grid point) is too slow or winds up. The
// switches and constants are those of fit_tuning (fit_tuning.h).
//
// The top band. Near the Nyquist frequency an oscillator's peak is read at the samples only, a
// quarter cycle away from its resonance, so raising the coefficients at its own frequency hardly
// raises its spectral acceleration: the plain correction keeps raising them and their energy
// appears at the neighbouring periods. In the top band (periods below top_band.steps time steps)
// the spectrum follows the coefficients only as a whole, so each coefficient is corrected through
// its neighbours: by the geometric mean of target/computed over the grid points within
// top_band.neighbours of the grid on either side, raised to an exponent that grows by half while
// the mean keeps its sign (up to top_band.max_weight) and halves when it changes (down to
// top_band.min_weight), and held to steps.max_step up or down in one iteration.
//
// The rest of the judged window. Where a grid point's spectrum answers its coefficient weakly (a
// band a record carries little of, the sparse long periods), the plain ratio moves it by a
// fraction of what it lacks each iteration. So a ratio that keeps its sign from one iteration to
// the next is raised to an exponent that grows by half each time, up to exponent.max_weight, and
// halves when the sign changes, not below exponent.min_weight (1/2: an exponent never below 1 let
// a few grid points oscillate). An exponent other than 1 is held to steps.max_step too.
//
// Criterion 2. It judges the sum of the spectrum over 1..5 s, where a few grid points a little
// low leave the sum just short of the target's while the correction aims at the target. So the
// aim there is the target times a lift that follows criterion 2: multiplied after each iteration
// by (1 + lift.margin)/criterion 2, kept between 1 and lift.most.
#pragma once

#include <span>
#include <vector>

#include "motion/criteria.h"
#include "motion/fit_tuning.h"
#include "motion/grid.h"

namespace motion {

class correction_control {
 public:
  correction_control(const grid& g, const fit_tuning& tuning, const period_window& window);

  // Brings aim (at grid points j = 2..nom, element j-1) towards current where the correction
  // aim/current is limited, and raises it over 1..5 s by the lift; elsewhere aim is left as it is.
  void limit(std::span<float> aim, std::span<const float> current);

  // Takes criterion 2 of the iteration just judged, for the lift of the next aim.
  void note_sum(float cr2);

 private:
  void limit_top_band(std::span<float> aim, std::span<const float> current);
  void limit_plain(std::span<float> aim, std::span<const float> current);

  fit_tuning tuning_;
  std::size_t first_plain_ = 0;  // element of the longest period judged
  // Element of the longest period of the top band; nom when its control is off.
  std::size_t first_watched_ = 0;
  std::size_t first_summed_ = 0, end_summed_ = 0;  // elements of 5 s and beyond 1 s
  std::size_t half_width_ = 0;                     // grid points averaged on either side
  double lift_ = 1.0;                              // of the aim over 1..5 s
  std::vector<double> log_ratio_;
  std::vector<float> weight_;
  std::vector<signed char> sign_;  // of the last (mean) log ratio, 0 before the first
};

}  // namespace motion
