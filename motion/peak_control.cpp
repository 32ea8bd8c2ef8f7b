#include "motion/peak_control.h"

#include <algorithm>
#include <cmath>

#include "numeric/fft.h"

namespace motion {
namespace {

float peak_of(std::span<const float> wave) {
  float p = 0.0f;
  for (const float a : wave) p = std::max(p, std::abs(a));
  return p;
}

// The samples [first, last) of the half-cycle around sample i: those of its sign.
struct lobe {
  std::size_t first = 0, last = 0;
};
lobe lobe_at(std::span<const float> wave, std::size_t i) {
  const bool up = wave[i] > 0.0f;
  const auto same = [&](std::size_t k) { return up ? wave[k] > 0.0f : wave[k] < 0.0f; };
  lobe l{i, i + 1};
  while (l.first > 0 && same(l.first - 1)) --l.first;
  while (l.last < wave.size() && same(l.last)) ++l.last;
  return l;
}

}  // namespace

peak_control::peak_control(const grid& g, std::span<const float> target,
                           const period_window& judged, const fit_tuning& tuning)
    : g_(g), hold_(tuning.peak_hold) {
  for (std::int32_t j = g.nom; hold_.on && j >= 2; --j) {
    const float t = period_of(omega_at(j, g.dom));
    if (!judged.holds(t)) continue;
    if (in_top_band(t, g.dt, tuning.top_band)) {
      at_ = static_cast<std::size_t>(j - 1);
      target_ = target[at_];
    }
    break;
  }
  if (active()) change_.resize(static_cast<std::size_t>(g.nf));
}

void peak_control::measure(std::span<const float> sa, std::span<const float> ddy) {
  if (!active()) return;
  const float peak = peak_of(ddy);
  amplification_ = peak > 0.0f ? sa[at_] / peak : 0.0f;
}

void peak_control::hold(std::span<float> ddy, std::span<const float> shape, std::span<cplx> fds) {
  if (!active() || !(target_ > 0.0f)) return;
  const double stiff = static_cast<double>(hold_.stiff);
  const double a = static_cast<double>(amplification_);
  if (!(std::abs(a - 1.0) <= stiff)) return;
  const double target = static_cast<double>(target_);
  const auto ratio_of = [&](double peak) { return peak * a / target; };
  const double wanted = static_cast<double>(hold_.aim) * target / a;  // the peak to reach
  const double most = static_cast<double>(hold_.max_change);
  const double peak = static_cast<double>(peak_of(ddy));

  std::fill(change_.begin(), change_.end(), std::complex<double>(0.0, 0.0));
  bool changed = false;
  const auto scale = [&](const lobe& l, double gain) {
    for (std::size_t k = l.first; k < l.last; ++k) {
      if (!(shape[k] > 0.0f)) continue;
      const double before = static_cast<double>(ddy[k]);
      const float after = static_cast<float>(before * gain);
      change_[k] = (static_cast<double>(after) - before) / static_cast<double>(shape[k]);
      ddy[k] = after;
      changed = true;
    }
  };
  if (ratio_of(peak) > static_cast<double>(hold_.high)) {
    // Every lobe above the wanted peak comes down to it (at most by max_change).
    for (std::size_t i = 0; i < ddy.size();) {
      const double x = std::abs(static_cast<double>(ddy[i]));
      if (!(x > wanted)) {
        ++i;
        continue;
      }
      const lobe l = lobe_at(ddy, i);
      double top = 0.0;
      for (std::size_t k = l.first; k < l.last; ++k) {
        top = std::max(top, std::abs(static_cast<double>(ddy[k])));
      }
      scale(l, std::max(1.0 / most, wanted / top));
      i = l.last;
    }
  } else if (peak > 0.0 && ratio_of(peak) < static_cast<double>(hold_.low)) {
    std::size_t at = 0;
    for (std::size_t i = 1; i < ddy.size(); ++i) {
      if (std::abs(ddy[i]) > std::abs(ddy[at])) at = i;
    }
    scale(lobe_at(ddy, at), std::min(most, wanted / peak));
  }
  if (!changed) return;
  numeric::dwvfast(g_.nf, change_, -1);
  const double dt = static_cast<double>(g_.dt);
  for (std::size_t k = 1; k < static_cast<std::size_t>(g_.nom); ++k) {
    const std::complex<double> c(static_cast<double>(fds[k].real()),
                                 static_cast<double>(fds[k].imag()));
    const std::complex<double> sum = c + change_[k] * dt;
    fds[k] = cplx(static_cast<float>(sum.real()), static_cast<float>(sum.imag()));
  }
}

}  // namespace motion
