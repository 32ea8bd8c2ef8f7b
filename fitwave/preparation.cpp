#include "fitwave/preparation.h"

#include "numeric/design.h"
#include "numeric/fft.h"
#include "textio/textio.h"

namespace fitwave {

using textio::console_out;

grid make_grid(std::int32_t nt, float dt, std::int32_t nf) {
  grid g;
  g.nt = nt;
  g.dt = dt;
  g.nf = nf;
  g.dur = static_cast<float>(nf) * dt;
  g.dom = two_pi / g.dur;
  g.nom = nf / 2 + 1;
  g.eom = static_cast<float>(g.nom) * g.dom;
  return g;
}

cplx scale_by_dt(cplx c, float dt) {
  // Spelled out: the zero imaginary part of (dt, 0) still meets infinities and NaNs.
  const float zero = 0.0f;
  return {c.real() * dt - c.imag() * zero, c.real() * zero + c.imag() * dt};
}

void prepare(const grid& g, std::span<const float> ddy, const corner_times& corners,
             std::span<cplx> fds, std::span<float> resa0, std::span<float> eamp) {
  const auto nt = static_cast<std::size_t>(g.nt);
  const auto nf = static_cast<std::size_t>(g.nf);
  for (std::size_t i = 0; i < nf; ++i) fds[i] = i < nt ? cplx(ddy[i], 0.0f) : cplx(0.0f, 0.0f);
  numeric::wvfast(g.nf, fds, -1);

  textio::write_free_record(console_out);
  textio::write_free_record(console_out, {" DUR,DOM,NOM,EOM=", g.dur, g.dom, g.nom, g.eom});
  textio::write_free_record(console_out, {" Highest Frequency (hz)=", g.eom / two_pi});

  for (std::size_t i = 0; i < nf; ++i) fds[i] = scale_by_dt(fds[i], g.dt);
  for (std::int32_t j = 2; j <= g.nom; ++j) {
    resa0[static_cast<std::size_t>(j - 1)] = numeric::tgtsa(omega_at(j, g.dom));
  }
  for (std::int32_t i = 1; i <= g.nf; ++i) {
    const float t = static_cast<float>(i - 1) * g.dt;
    eamp[static_cast<std::size_t>(i - 1)] =
        numeric::envamp(t, corners.tb, corners.tc, corners.td, corners.te);
  }
}

}  // namespace fitwave
