// A random-phase seed wave for any design spectrum: Fourier amplitudes that follow the spectrum,
// phases from the seed, the inverse transform, then the four-corner time envelope. In double.
#pragma once

#include <complex>
#include <cstdint>
#include <span>
#include <vector>

#include "motion/design_spectrum.h"
#include "motion/grid.h"

namespace motion {

// Lengths a seed may have: from 4096 samples up to what wavetool fits, 2^17 (1310.72 s at
// 0.01 s).
inline constexpr std::int32_t min_seed_samples = 4096;
inline constexpr std::int32_t max_seed_samples = max_design_transform_length;
// seedwave's wave, 8192 samples at 0.01 s, unless a job asks for another; coarser steps than
// 0.1 s cannot carry a design motion.
inline constexpr std::int32_t default_seed_samples = 8192;
inline constexpr double default_seed_dt = 0.01;  // s
inline constexpr double max_seed_dt = 0.1;       // s
// The numbers that draw a seed's phases, on the command line and in a plan alike: any that
// seedwave takes (its 32-bit integer), negative ones included.
inline constexpr std::int64_t min_seed_number = -2147483648LL;
inline constexpr std::int64_t max_seed_number = 2147483647;

// The grid of a seed of nt samples dt apart: a transform of nf samples, the smallest power of
// two not below nt, lasting dur = nf*dt, with nom = nf/2 positive frequencies dom = 2*pi/dur
// apart. The wave is the first nt samples of the transform's period.
struct seed_grid {
  std::int32_t nt = 0;
  double dt = 0.0;       // s
  std::int32_t nf = 0;   // transform length
  double dur = 0.0;      // s
  double dom = 0.0;      // rad/s
  std::int32_t nom = 0;  // positive frequency points
};
// nt from 1 to max_seed_samples, dt > 0. Never fails.
seed_grid make_seed_grid(std::int32_t nt, double dt);

// Whether the spectrum is defined at every period of the seed's frequencies, 2*pi/(io*dom) for
// io = 1..nom (from dur down to 2*dt); a table must reach that far, it is never extrapolated.
bool covers_seed(const design_spectrum& s, const seed_grid& g);

// Fills fx[0..nf-1] with the two-sided spectrum of the seed: fx[0] = 0; for io = 1..nom, with
// period T = 2*pi/(io*dom) and one draw of ran0(idum) per point in ascending io,
// fx[io] = psv * exp(i * 2*pi*ran0) with psv = Sa(T)*T/pi^2 (gal*s); then fx[nf-i] =
// conj(fx[i]) for i = 1..nom-1. The Nyquist point keeps its complex value. idum advances by nom
// draws. fx must hold nf elements and the spectrum must cover the seed. Never fails.
void random_phase_spectrum(std::int32_t& idum, const seed_grid& g, const design_spectrum& s,
                           std::span<std::complex<double>> fx);

// The seed without its envelope: random_phase_spectrum, the unnormalised inverse transform
// (dwvfast, in place in fx), then acc[i] = real(fx[i]) / dur in gal for i = 0..nt-1.
// fx must hold nf elements and acc nt. Never fails.
void seed_wave(std::int32_t& idum, const seed_grid& g, const design_spectrum& s,
               std::span<std::complex<double>> fx, std::span<double> acc);

// The envelope's corner times (s): the defaults of every seed, te at the end of the wave.
struct seed_corners {
  double tb = 4.0;
  double tc = 35.0;
  double td = 60.0;
  double te = 0.0;
};
inline constexpr double seed_envelope_level = 0.1;  // afac, the envelope's level at td
// The corners of a seed that is given none: the defaults, te at the end of its nt samples.
seed_corners default_corners(const seed_grid& g);

// Multiplies sample i of acc, at time i*dt, by denvamp(i*dt, tb, tc, td, te, afac). Corners in
// any order are taken as given. Never fails.
void shape_with_envelope(std::span<double> acc, double dt, const seed_corners& c);

// The seed wave of the number seed as seedwave, `wavetool seed` and a plan draw it: seed_wave on
// grid g for spectrum s, shaped with corners c; g.nt samples (gal). The spectrum must cover the
// seed (covers_seed). Never fails.
std::vector<double> draw_seed(std::int32_t seed, const seed_grid& g, const design_spectrum& s,
                              const seed_corners& c);

}  // namespace motion
