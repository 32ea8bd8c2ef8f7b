#include "motion/fit.h"

#include <cmath>

#include "numeric/design.h"
#include "numeric/fft.h"

namespace motion {

cplx scale_by_dt(cplx c, float dt) {
  // Spelled out: the zero imaginary part of (dt, 0) still meets infinities and NaNs.
  const float zero = 0.0f;
  return {c.real() * dt - c.imag() * zero, c.real() * zero + c.imag() * dt};
}

void forward_coefficients(const grid& g, std::span<const float> ddy, std::span<cplx> fds) {
  const auto nt = static_cast<std::size_t>(g.nt);
  const auto nf = static_cast<std::size_t>(g.nf);
  for (std::size_t i = 0; i < nf; ++i) fds[i] = i < nt ? cplx(ddy[i], 0.0f) : cplx(0.0f, 0.0f);
  numeric::wvfast(g.nf, fds, -1);
  for (std::size_t i = 0; i < nf; ++i) fds[i] = scale_by_dt(fds[i], g.dt);
}

void target_spectrum(const grid& g, std::span<float> target) {
  for (std::int32_t j = 2; j <= g.nom; ++j) {
    target[static_cast<std::size_t>(j - 1)] = numeric::tgtsa(omega_at(j, g.dom));
  }
}

float envelope_at(float t, const corner_times& corners) {
  return numeric::envamp(t, corners.tb, corners.tc, corners.td, corners.te);
}

void envelope(const grid& g, const corner_times& corners, std::span<float> eamp) {
  for (std::int32_t i = 1; i <= g.nf; ++i) {
    const float t = static_cast<float>(i - 1) * g.dt;
    eamp[static_cast<std::size_t>(i - 1)] =
        numeric::envamp(t, corners.tb, corners.tc, corners.td, corners.te);
  }
}

cplx corrected(cplx c, float target, float sa) {
  return {c.real() * target / sa, c.imag() * target / sa};
}

void mirror_fill(std::span<cplx> fds1, std::int32_t nf) {
  for (std::int32_t i = 2; i <= nf / 2; ++i) {
    fds1[static_cast<std::size_t>(nf + 2 - i - 1)] =
        std::conj(fds1[static_cast<std::size_t>(i - 1)]);
  }
}

float shaping(float eamp, float ampfac) {
  return numeric::to_single(std::pow(static_cast<double>(eamp), static_cast<double>(ampfac)));
}

void rebuild_wave(std::span<const cplx> fds1, float dur, std::span<const float> eamp, float ampfac,
                  std::int32_t nf, std::span<float> ddy) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(nf); ++i) {
    const float q = fds1[i].real() / dur;
    ddy[i] = q * shaping(eamp[i], ampfac);
  }
}

void correct_and_rebuild(const grid& g, float ampfac, std::span<const float> eamp,
                         std::span<const float> target, std::span<const float> current,
                         const fit_state& state) {
  state.fds[0] = cplx(0.0f, 0.0f);
  state.fds1[0] = cplx(0.0f, 0.0f);
  for (std::size_t k = 1; k < static_cast<std::size_t>(g.nom); ++k) {
    state.fds[k] = corrected(state.fds[k], target[k], current[k]);
    state.fds1[k] = state.fds[k];
  }
  mirror_fill(state.fds1, g.nf);
  numeric::wvfast(g.nf, state.fds1, +1);
  rebuild_wave(state.fds1, g.dur, eamp, ampfac, g.nf, state.ddy);
}

criteria fit_iteration(const grid& g, float ampfac, std::span<const float> eamp,
                       std::span<const float> target, std::span<const float> current,
                       const fit_state& state, std::span<float> sa, response_spectrum& spectrum) {
  correct_and_rebuild(g, ampfac, eamp, target, current, state);
  spectrum.compute(state.ddy, g.nt, g.dt, g.dom, g.nom, sa);
  return criteria_of(g, sa, target);
}

}  // namespace motion
