// The seed wave before its envelope: a random-phase spectrum that follows the design target
// spectrum, turned into a real acceleration wave by the inverse transform.
#pragma once

#include <complex>
#include <cstdint>
#include <span>

#include "seedwave/grid.h"

namespace seedwave {

// Fills fx[0..nt-1] with the two-sided spectrum of the seed wave: fx[0] = 0; for io = 1..nt/2,
// with period T = 2*pi/(io*dom) (dom = 2*pi/(nt*dt)) and one draw of ran0(idum) per point in
// ascending io, fx[io] = psv * exp(i * 2*pi*ran0) with psv = dtgtsa(T)*T/pi^2 (gal*s); then
// fx[nt-i] = conj(fx[i]) for i = 1..nt/2-1. The Nyquist point fx[nt/2] keeps its complex value.
// idum advances by nt/2 draws. fx must hold at least nt elements. Never fails.
void random_phase_spectrum(std::int32_t& idum, std::span<std::complex<double>> fx);

// The seed wave without envelope: random_phase_spectrum, the unnormalised inverse transform
// (dwvfast, in place in fx), then acc[i] = real(fx[i]) / (nt*dt) in gal for i = 0..nt-1.
// fx and acc must hold at least nt elements. Never fails.
void seed_wave(std::int32_t& idum, std::span<std::complex<double>> fx, std::span<double> acc);

}  // namespace seedwave
