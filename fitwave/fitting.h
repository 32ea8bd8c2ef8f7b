// The iterative fitting loop: every Fourier coefficient is scaled by target/computed spectral
// acceleration at its own period, the wave is rebuilt and shaped by the envelope to the power
// ampfac, and four acceptance measures of its spectrum are printed.
#pragma once

#include <cstdint>
#include <span>

#include "fitwave/grid.h"
#include "fitwave/spectrum.h"

namespace fitwave {

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

// The four acceptance measures of one iteration.
struct criteria {
  float cr1;  // smallest ratio computed/target over 0.02..10 s; 9999 when the window is empty
  float cr2;  // sum of computed over sum of target over 1..5 s
  float cr3;  // root-mean-square deviation of the ratio from 1 over 0.02..10 s
  float cr4;  // mean ratio over 0.02..10 s
};

// Sums of the measures, fed one grid point at a time in increasing j; window ends included.
class criteria_sums {
 public:
  void add(float period, float sa, float target);
  criteria finish() const;

 private:
  std::int32_t ncr_ = 0;
  float cr1_ = 9999.0f;
  float cr2a_ = 0.0f, cr2b_ = 0.0f, cr3_ = 0.0f, cr4_ = 0.0f;
};

// Runs nit iterations (none when nit <= 0). On entry ddy holds the input wave, fds its
// coefficients (points 1..nf) and resa column 0 the target; on return ddy[0..nf-1] holds the
// fitted wave, fds the cumulatively corrected coefficients and resa column k (rows 2..nom)
// the spectrum after iteration k. fds1 is work space.
void fit(const grid& g, std::int32_t nit, float ampfac, std::span<const float> eamp,
         std::span<float> ddy, std::span<cplx> fds, std::span<cplx> fds1, std::span<float> resa,
         response_spectrum& spectrum);

}  // namespace fitwave
