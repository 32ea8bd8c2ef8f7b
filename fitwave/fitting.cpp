#include "fitwave/fitting.h"

#include <cmath>

#include "numeric/fft.h"
#include "textio/textio.h"

namespace fitwave {

using textio::console_out;

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
  return static_cast<float>(std::pow(static_cast<double>(eamp), static_cast<double>(ampfac)));
}

void rebuild_wave(std::span<const cplx> fds1, float dur, std::span<const float> eamp, float ampfac,
                  std::int32_t nf, std::span<float> ddy) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(nf); ++i) {
    const float q = fds1[i].real() / dur;
    ddy[i] = q * shaping(eamp[i], ampfac);
  }
}

void criteria_sums::add(float period, float sa, float target) {
  if (period >= 0.02f && period <= 10.0f) {
    ++ncr_;
    const float eps = sa / target;
    if (eps < cr1_) cr1_ = eps;
    const float d = eps - 1.0f;
    cr3_ = cr3_ + d * d;
    cr4_ = cr4_ + eps;
  }
  if (period >= 1.0f && period <= 5.0f) {
    cr2a_ = cr2a_ + sa;
    cr2b_ = cr2b_ + target;
  }
}

criteria criteria_sums::finish() const {
  const auto n = static_cast<float>(ncr_);
  return {cr1_, cr2a_ / cr2b_, static_cast<float>(std::sqrt(static_cast<double>(cr3_ / n))),
          cr4_ / n};
}

void fit(const grid& g, std::int32_t nit, float ampfac, std::span<const float> eamp,
         std::span<float> ddy, std::span<cplx> fds, std::span<cplx> fds1, std::span<float> resa,
         response_spectrum& spectrum) {
  const std::span<const float> target = resa_column(resa, 0);
  textio::write_free_record(console_out);
  for (std::int32_t iit = 1; iit <= nit; ++iit) {
    const std::span<float> sa = resa_column(resa, static_cast<std::size_t>(iit));
    textio::write_free_record(console_out, {" Iteration Number =", iit});
    fds[0] = cplx(0.0f, 0.0f);
    fds1[0] = cplx(0.0f, 0.0f);

    // The spectrum of the current wave: the previous evaluation, equal value for value, except
    // in the first iteration, which computes it into its own column before overwriting it.
    std::span<const float> current = sa;
    if (iit == 1) {
      spectrum.compute(ddy, g.nt, g.dt, g.dom, g.nom, sa);
    } else {
      current = resa_column(resa, static_cast<std::size_t>(iit - 1));
    }
    for (std::size_t k = 1; k < static_cast<std::size_t>(g.nom); ++k) {
      fds[k] = corrected(fds[k], target[k], current[k]);
      fds1[k] = fds[k];
    }
    mirror_fill(fds1, g.nf);
    numeric::wvfast(g.nf, fds1, +1);
    rebuild_wave(fds1, g.dur, eamp, ampfac, g.nf, ddy);

    spectrum.compute(ddy, g.nt, g.dt, g.dom, g.nom, sa);
    criteria_sums sums;
    for (std::int32_t j = 2; j <= g.nom; ++j) {
      const auto k = static_cast<std::size_t>(j - 1);
      sums.add(period_of(omega_at(j, g.dom)), sa[k], target[k]);
    }
    const criteria c = sums.finish();
    textio::write_free_record(console_out, {"   Error Criteria 1 (>=0.85):", c.cr1});
    textio::write_free_record(console_out, {"   Error Criteria 2 (>=1.0) :", c.cr2});
    textio::write_free_record(console_out, {"   Error Criteria 3 (<=0.05):", c.cr3});
    textio::write_free_record(console_out, {"   Error Criteria 4 (>=0.95):", c.cr4});
  }
}

}  // namespace fitwave
