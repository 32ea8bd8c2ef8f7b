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

#include "motion/correction_limits.h"
#include "motion/criteria.h"
#include "motion/grid.h"

namespace motion {

struct peak_limits {
  float low = 0.95f;         // a peak that gives less than this ratio there is raised ...
  float high = 1.02f;        // ... one that gives more is lowered ...
  float aim = 1.0f;          // ... to this ratio
  float max_change = 1.25f;  // the most a lobe is scaled in one iteration, up or down
  // The spectrum there counts as the peak acceleration when it lies within this of it.
  float stiff = 0.1f;
};

class peak_control {
 public:
  // target at grid points j = 2..nom (element j-1); inactive where the shortest grid period
  // judged lies outside the top band of limits.
  peak_control(const grid& g, std::span<const float> target, const period_window& judged,
               const correction_limits& limits, const peak_limits& peaks = {});

  bool active() const { return at_ != none; }

  // Takes the spectrum sa of the wave ddy (nt samples, gal) just judged.
  void measure(std::span<const float> sa, std::span<const float> ddy);

  // Scales the lobes of the rebuilt wave ddy (nt samples) as the last measure asks, and adds the
  // change, divided by the envelope's shape, to the coefficients fds (nom of them, times dt).
  void hold(std::span<float> ddy, std::span<const float> shape, std::span<cplx> fds);

 private:
  static constexpr std::size_t none = static_cast<std::size_t>(-1);
  grid g_;
  peak_limits limits_;
  std::size_t at_ = none;       // element of the shortest judged grid period
  float target_ = 0.0f;         // the target there (gal)
  float amplification_ = 0.0f;  // of the last wave: its spectrum there over its peak; 0: none
  std::vector<std::complex<double>> change_;  // nf
};

}  // namespace motion
