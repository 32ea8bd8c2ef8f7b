// Keeping the correction of the shortest periods from winding up.
//
// Near the Nyquist frequency an oscillator's peak is read at the samples only, a quarter cycle
// away from its resonance, so raising the coefficients at its own frequency hardly raises its
// spectral acceleration: the plain correction keeps raising them and their energy appears at
// the neighbouring periods. In the top band (periods below top_band time steps) the spectrum
// follows the coefficients only as a whole, so each coefficient is corrected through its
// neighbours: by the geometric mean of target/computed over the grid points within `neighbours`
// of the grid on either side, raised to a weight that grows by half while the mean keeps its sign
// (up to max_weight) and halves when it changes (down to 1/4), and held to max_step up or down in
// one iteration.
#pragma once

#include <span>
#include <vector>

#include "motion/grid.h"

namespace motion {

struct correction_limits {
  float top_band = 3.0f;    // periods below 3 time steps
  float max_step = 4.0f;    // the most a coefficient there changes in one iteration
  float neighbours = 0.1f;  // half-width of the averaging, as a fraction of the grid points
  float max_weight = 8.0f;  // the largest exponent of a ratio that keeps its sign
};

class correction_control {
 public:
  correction_control(const grid& g, const correction_limits& limits);

  // Brings aim (at grid points j = 2..nom, element j-1) towards current in the top band, so
  // that the correction aim/current there is the limited one; elsewhere aim is left as it is.
  void limit(std::span<float> aim, std::span<const float> current);

 private:
  correction_limits limits_;
  std::size_t first_watched_ = 0;  // element of the longest period watched
  std::size_t half_width_ = 0;     // grid points averaged on either side
  std::vector<double> log_ratio_;
  std::vector<float> weight_;
  std::vector<signed char> sign_;  // of the last mean log ratio, 0 before the first
};

}  // namespace motion
