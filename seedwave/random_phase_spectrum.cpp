#include "seedwave/random_phase_spectrum.h"

#include <cmath>

#include "numeric/design.h"
#include "numeric/fft.h"
#include "seedwave/ran0.h"

namespace seedwave {

void random_phase_spectrum(std::int32_t& idum, std::span<std::complex<double>> fx) {
  const double per1 = 0.16;
  const double per2 = 0.64;

  // The mean of the wave is zero.
  fx[0] = {0.0, 0.0};
  for (int io = 1; io <= nom; ++io) {
    const double om = io * dom;
    const double period = 2.0 * pi / om;
    const double ran = 2.0 * pi * ran0(idum);
    const double dr = std::cos(ran);
    const double di = std::sin(ran);
    const double sa = numeric::dtgtsa(period, per1, per2);
    const double psv = sa * period / (pi * pi);
    fx[static_cast<std::size_t>(io)] = {psv * dr, psv * di};
  }

  // Conjugate symmetry makes the inverse transform real; the Nyquist point has no mirror.
  const int nfast = nt;
  for (int i = 1; i < nfast / 2; ++i) {
    fx[static_cast<std::size_t>(nfast - i)] = std::conj(fx[static_cast<std::size_t>(i)]);
  }
}

void seed_wave(std::int32_t& idum, std::span<std::complex<double>> fx, std::span<double> acc) {
  random_phase_spectrum(idum, fx);
  numeric::dwvfast(nt, fx, +1);
  for (std::size_t i = 0; i < static_cast<std::size_t>(nt); ++i) acc[i] = fx[i].real() / dur;
}

}  // namespace seedwave
