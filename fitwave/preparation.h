// Spectral preparation: the Fourier coefficients of the input wave, the frequency grid, the
// target spectrum and the time envelope.
#pragma once

#include <cstdint>
#include <span>

#include "fitwave/grid.h"

namespace fitwave {

struct corner_times {
  float tb, tc, td, te;  // s
};

// The grid of a transform of nf samples at dt: dur = nf*dt, dom = 2*pi/dur, nom = nf/2 + 1,
// eom = nom*dom, all in single precision. dt = 0 gives infinite dom and eom.
grid make_grid(std::int32_t nt, float dt, std::int32_t nf);

// Coefficient c times the complex number (dt, 0), formed as a full complex product.
cplx scale_by_dt(cplx c, float dt);

// Fills fds[0..nf-1] with the forward transform of ddy[0..nt-1] extended with zeros, each
// coefficient times dt (gal*s); prints the grid; fills resa0 (column 0 of the spectra table)
// with the target (gal) at grid points 2..nom and eamp[0..nf-1] with the envelope.
void prepare(const grid& g, std::span<const float> ddy, const corner_times& corners,
             std::span<cplx> fds, std::span<float> resa0, std::span<float> eamp);

}  // namespace fitwave
