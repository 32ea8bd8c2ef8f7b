#include "motion/correction_limits.h"

#include <algorithm>
#include <cmath>

namespace motion {
namespace {

// The first element (grid point j = element + 1, from j = 2) whose period is at most t; nom when
// none is.
std::size_t first_at_most(const grid& g, float t) {
  for (std::int32_t j = 2; j <= g.nom; ++j) {
    if (!(period_of(omega_at(j, g.dom)) > t)) return static_cast<std::size_t>(j - 1);
  }
  return static_cast<std::size_t>(g.nom);
}

// The next weight of a ratio whose sign was last (0 before the first) and is now sign: up by
// steps.growth while it keeps it, to most; down by steps.fall when it changes, to least.
float next_weight(float w, signed char last, signed char sign, const exponent_steps& steps,
                  float least, float most) {
  if (last == 0) return w;
  return sign == last ? std::min(most, steps.growth * w) : std::max(least, steps.fall * w);
}

}  // namespace

correction_control::correction_control(const grid& g, const fit_tuning& tuning,
                                       const period_window& window)
    : tuning_(tuning),
      half_width_(static_cast<std::size_t>(tuning.top_band.neighbours * static_cast<float>(g.nom))),
      log_ratio_(static_cast<std::size_t>(g.nom), 0.0),
      weight_(static_cast<std::size_t>(g.nom), 1.0f),
      sign_(static_cast<std::size_t>(g.nom), 0) {
  first_plain_ = std::max<std::size_t>(1, first_at_most(g, window.longest));
  first_summed_ = first_at_most(g, sum_window.longest);
  end_summed_ = first_summed_;
  while (end_summed_ < static_cast<std::size_t>(g.nom) &&
         sum_window.holds(period_of(omega_at(static_cast<std::int32_t>(end_summed_) + 1, g.dom)))) {
    ++end_summed_;
  }
  first_watched_ = log_ratio_.size();
  for (std::int32_t j = 2; tuning.top_band.on && j <= g.nom; ++j) {
    if (in_top_band(period_of(omega_at(j, g.dom)), g.dt, tuning.top_band)) {
      first_watched_ = static_cast<std::size_t>(j - 1);
      break;
    }
  }
}

void correction_control::note_sum(float cr2) {
  const lift_tuning& lift = tuning_.lift;
  const auto c = static_cast<double>(cr2);
  if (!lift.on || !(c > 0.0) || !std::isfinite(c)) return;
  const double most = std::max(1.0, static_cast<double>(lift.most));
  lift_ = std::clamp(lift_ * (1.0 + static_cast<double>(lift.margin)) / c, 1.0, most);
}

void correction_control::limit(std::span<float> aim, std::span<const float> current) {
  if (lift_ != 1.0) {
    for (std::size_t k = first_summed_; k < end_summed_ && k < aim.size(); ++k) {
      aim[k] = static_cast<float>(static_cast<double>(aim[k]) * lift_);
    }
  }
  limit_plain(aim, current);
  limit_top_band(aim, current);
}

void correction_control::limit_plain(std::span<float> aim, std::span<const float> current) {
  const exponent_tuning& exponent = tuning_.exponent;
  if (!exponent.on) return;
  const double most = std::log(static_cast<double>(tuning_.steps.max_step));
  const std::size_t end = std::min(aim.size(), first_watched_);
  for (std::size_t k = first_plain_; k < end; ++k) {
    const double a = static_cast<double>(aim[k]), c = static_cast<double>(current[k]);
    if (!(a > 0.0 && c > 0.0)) continue;
    const double step = std::log(a / c);
    const signed char sign = step > 0.0 ? 1 : -1;
    float& w = weight_[k];
    w = next_weight(w, sign_[k], sign, tuning_.steps, exponent.min_weight, exponent.max_weight);
    sign_[k] = sign;
    if (w == 1.0f) continue;
    aim[k] =
        static_cast<float>(c * std::exp(std::clamp(step * static_cast<double>(w), -most, most)));
  }
}

void correction_control::limit_top_band(std::span<float> aim, std::span<const float> current) {
  const std::size_t n = aim.size();
  if (first_watched_ >= n) return;
  const std::size_t from = first_watched_ > half_width_ ? first_watched_ - half_width_ : 1;
  for (std::size_t k = from; k < n; ++k) {
    const double a = static_cast<double>(aim[k]), c = static_cast<double>(current[k]);
    log_ratio_[k] = a > 0.0 && c > 0.0 ? std::log(a / c) : 0.0;
  }
  const double most = std::log(static_cast<double>(tuning_.steps.max_step));
  const top_band_tuning& band = tuning_.top_band;
  double sum = 0.0;                  // of log_ratio_ over [lo, hi)
  std::size_t lo = from, hi = from;  // the window around k, cut at the ends of the grid
  for (std::size_t k = first_watched_; k < n; ++k) {
    for (const std::size_t want = std::min(n, k + half_width_ + 1); hi < want; ++hi) {
      sum += log_ratio_[hi];
    }
    for (const std::size_t want = std::max(from, k - std::min(k, half_width_)); lo < want; ++lo) {
      sum -= log_ratio_[lo];
    }
    const double c = static_cast<double>(current[k]);
    if (!(c > 0.0 && aim[k] > 0.0f)) continue;
    double step = sum / static_cast<double>(hi - lo);
    const signed char sign = step > 0.0 ? 1 : -1;
    float& w = weight_[k];
    w = next_weight(w, sign_[k], sign, tuning_.steps, band.min_weight, band.max_weight);
    sign_[k] = sign;
    step *= static_cast<double>(w);
    const double held = std::clamp(step, -most, most);
    if (held != log_ratio_[k]) aim[k] = static_cast<float>(c * std::exp(held));
  }
}

}  // namespace motion
