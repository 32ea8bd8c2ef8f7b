#include "motion/seed_wave.h"

#include <cmath>
#include <numbers>

#include "motion/ran0.h"
#include "numeric/design.h"
#include "numeric/fft.h"

namespace motion {
namespace {

constexpr double pi = std::numbers::pi;

}  // namespace

seed_grid make_seed_grid(std::int32_t nt, double dt) {
  seed_grid g;
  g.nt = nt;
  g.dt = dt;
  g.nf = 1;
  while (g.nf < nt) g.nf *= 2;
  g.dur = g.nf * dt;
  g.dom = 2.0 * pi / g.dur;
  g.nom = g.nf / 2;
  return g;
}

bool covers_seed(const design_spectrum& s, const seed_grid& g) {
  // The longest and the shortest period drawn; Sa between them is covered when both are.
  return covers(s, 2.0 * pi / (1 * g.dom)) && covers(s, 2.0 * pi / (g.nom * g.dom));
}

void random_phase_spectrum(std::int32_t& idum, const seed_grid& g, const design_spectrum& s,
                           std::span<std::complex<double>> fx) {
  // The mean of the wave is zero.
  fx[0] = {0.0, 0.0};
  for (int io = 1; io <= g.nom; ++io) {
    const double om = io * g.dom;
    const double period = 2.0 * pi / om;
    const double ran = 2.0 * pi * ran0(idum);
    const double dr = std::cos(ran);
    const double di = std::sin(ran);
    const double sa = spectral_acceleration(s, period);
    const double psv = sa * period / (pi * pi);
    fx[static_cast<std::size_t>(io)] = {psv * dr, psv * di};
  }

  // Conjugate symmetry makes the inverse transform real; the Nyquist point has no mirror.
  for (int i = 1; i < g.nf / 2; ++i) {
    fx[static_cast<std::size_t>(g.nf - i)] = std::conj(fx[static_cast<std::size_t>(i)]);
  }
}

void seed_wave(std::int32_t& idum, const seed_grid& g, const design_spectrum& s,
               std::span<std::complex<double>> fx, std::span<double> acc) {
  random_phase_spectrum(idum, g, s, fx);
  numeric::dwvfast(g.nf, fx, +1);
  for (std::size_t i = 0; i < static_cast<std::size_t>(g.nt); ++i) acc[i] = fx[i].real() / g.dur;
}

void shape_with_envelope(std::span<double> acc, double dt, const seed_corners& c) {
  for (std::size_t i = 0; i < acc.size(); ++i) {
    const double time = static_cast<double>(i) * dt;
    acc[i] = acc[i] * numeric::denvamp(time, c.tb, c.tc, c.td, c.te, seed_envelope_level);
  }
}

seed_corners default_corners(const seed_grid& g) {
  seed_corners c;
  c.te = g.nt * g.dt;
  return c;
}

std::vector<double> draw_seed(std::int32_t seed, const seed_grid& g, const design_spectrum& s,
                              const seed_corners& c) {
  std::vector<std::complex<double>> fx(static_cast<std::size_t>(g.nf));
  std::vector<double> acc(static_cast<std::size_t>(g.nt));
  seed_wave(seed, g, s, fx, acc);
  shape_with_envelope(acc, g.dt, c);
  return acc;
}

}  // namespace motion
