// Holding the peak acceleration to what the shortest judged period asks of it.
//
// Where the shortest judged period lies in the top band (0.02 s at a step of 0.01 s, two steps:
// the Nyquist period), the oscillator there is stiff against everything but the components at
// its own frequency, which it sees only at the samples and so hardly at all: its spectral
// acceleration is the peak ground acceleration, made by the longer periods, and no correction of
// the coefficients near its own frequency moves it. Left alone, a wave whose peak comes out 10 %
// above (or 15 % below) the target there keeps its shortest periods that far off. So after each
// rebuild the half-cycles ("lobes", the samples between two zero crossings) whose peak lies above
// what the target at that period asks are scaled down to it, or, when the largest peak falls
// short, that lobe is scaled up; the change goes into the Fourier coefficients too, so the next
// correction starts from the wave as it now is.
#pragma once

#include <complex>
#include <cstddef>
#include <span>
#include <vector>

#include "motion/criteria.h"
#include "motion/fit_tuning.h"
#include "motion/grid.h"

namespace motion {

class peak_control {
 public:
  // target at grid points j = 2..nom (element j-1); inactive where tuning.peak_hold is off or the
  // shortest grid period judged lies outside the top band of tuning.top_band.
  peak_control(const grid& g, std::span<const float> target, const period_window& judged,
               const fit_tuning& tuning);

  bool active() const { return at_ != none; }

  // Takes the spectrum sa of the wave ddy (nt samples, gal) just judged.
  void measure(std::span<const float> sa, std::span<const float> ddy);

  // Scales the lobes of the rebuilt wave ddy (nt samples) as the last measure asks, and adds the
  // change, divided by the envelope's shape, to the coefficients fds (nom of them, times dt).
  void hold(std::span<float> ddy, std::span<const float> shape, std::span<cplx> fds);

 private:
  static constexpr std::size_t none = static_cast<std::size_t>(-1);
  grid g_;
  peak_hold_tuning hold_;
  std::size_t at_ = none;       // element of the shortest judged grid period
  float target_ = 0.0f;         // the target there (gal)
  float amplification_ = 0.0f;  // of the last wave: its spectrum there over its peak; 0: none
  std::vector<std::complex<double>> change_;  // nf
};

}  // namespace motion
