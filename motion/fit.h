// Fitting a wave to the design target: the spectral preparation and one iteration. Every
// Fourier coefficient is scaled by target/computed spectral acceleration at its own period, the
// spectrum is completed by conjugate symmetry, and the wave is rebuilt by the inverse transform
// and shaped by the envelope to the power ampfac. Single precision throughout.
#pragma once

#include <cstdint>
#include <span>

#include "motion/criteria.h"
#include "motion/grid.h"
#include "motion/response_spectrum.h"

namespace motion {

// Envelope corner times (s): end of the rise, of the constant part, of the exponential decay,
// and of the wave; the defaults are those of the design wave. Real is float where the envelope
// is evaluated in single precision, double where a program shapes in double.
template <class Real>
struct basic_corner_times {
  Real tb = 4, tc = 35, td = 60, te = 80;
};
using corner_times = basic_corner_times<float>;

// Coefficient c times the complex number (dt, 0), formed as a full complex product.
cplx scale_by_dt(cplx c, float dt);

// fds[0..nf-1]: the forward transform of ddy[0..nt-1] extended with zeros, each coefficient
// times dt (gal*s).
void forward_coefficients(const grid& g, std::span<const float> ddy, std::span<cplx> fds);

// The target (gal) at grid points j = 2..nom, into element j-1.
void target_spectrum(const grid& g, std::span<float> target);

// The envelope at time t (s), as the fit shapes the wave with it.
float envelope_at(float t, const corner_times& corners);

// eamp[i-1] = the envelope at t = (i-1)*dt, i = 1..nf.
void envelope(const grid& g, const corner_times& corners, std::span<float> eamp);

// Coefficient c with each part multiplied by the target (gal) and then divided by sa (gal).
cplx corrected(cplx c, float target, float sa);

// Completes fds1[0..nf-1] by conjugate symmetry: point nf+2-i gets the conjugate of point i,
// i = 2..nf/2 (1-based). Point 1 and the Nyquist point nf/2+1 are left as they are.
void mirror_fill(std::span<cplx> fds1, std::int32_t nf);

// The envelope factor eamp^ampfac, the power in double, rounded to float.
float shaping(float eamp, float ampfac);

// ddy[i] = (real part of fds1[i] / dur) * shaping(eamp[i], ampfac) for i = 0..nf-1; the
// quotient is rounded first.
void rebuild_wave(std::span<const cplx> fds1, float dur, std::span<const float> eamp, float ampfac,
                  std::int32_t nf, std::span<float> ddy);

// The state one iteration works on: the cumulatively corrected coefficients fds (points
// 1..nf), the work space fds1 and the wave ddy (nf samples).
struct fit_state {
  std::span<cplx> fds;
  std::span<cplx> fds1;
  std::span<float> ddy;
};

// The first half of an iteration: fds[0] and fds1[0] become 0, fds[k] is corrected by
// target[k]/current[k] for k = 1..nom-1 and copied to fds1, fds1 is completed by conjugate
// symmetry and transformed back, and ddy is rebuilt with the envelope.
void correct_and_rebuild(const grid& g, float ampfac, std::span<const float> eamp,
                         std::span<const float> target, std::span<const float> current,
                         const fit_state& state);

// One whole iteration: correct_and_rebuild, then the spectrum of the new wave into sa
// (elements 1..nom-1) and its four measures. current may be the sa of the previous iteration.
criteria fit_iteration(const grid& g, float ampfac, std::span<const float> eamp,
                       std::span<const float> target, std::span<const float> current,
                       const fit_state& state, std::span<float> sa, response_spectrum& spectrum);

}  // namespace motion
