#include "motion/correction_limits.h"

#include <algorithm>
#include <cmath>

namespace motion {

correction_control::correction_control(const grid& g, const correction_limits& limits)
    : limits_(limits),
      half_width_(static_cast<std::size_t>(limits.neighbours * static_cast<float>(g.nom))),
      log_ratio_(static_cast<std::size_t>(g.nom), 0.0),
      weight_(static_cast<std::size_t>(g.nom), 1.0f),
      sign_(static_cast<std::size_t>(g.nom), 0) {
  const float below = limits.top_band * g.dt;
  first_watched_ = log_ratio_.size();
  for (std::int32_t j = 2; j <= g.nom; ++j) {
    if (period_of(omega_at(j, g.dom)) < below) {
      first_watched_ = static_cast<std::size_t>(j - 1);
      break;
    }
  }
}

void correction_control::limit(std::span<float> aim, std::span<const float> current) {
  const std::size_t n = aim.size();
  if (first_watched_ >= n) return;
  const std::size_t from = first_watched_ > half_width_ ? first_watched_ - half_width_ : 1;
  for (std::size_t k = from; k < n; ++k) {
    const double a = static_cast<double>(aim[k]), c = static_cast<double>(current[k]);
    log_ratio_[k] = a > 0.0 && c > 0.0 ? std::log(a / c) : 0.0;
  }
  const double most = std::log(static_cast<double>(limits_.max_step));
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
    if (sign_[k] != 0) {
      w = sign == sign_[k] ? std::min(limits_.max_weight, 1.5f * w) : std::max(0.25f, 0.5f * w);
    }
    sign_[k] = sign;
    step *= static_cast<double>(w);
    const double held = std::clamp(step, -most, most);
    if (held != log_ratio_[k]) aim[k] = static_cast<float>(c * std::exp(held));
  }
}

}  // namespace motion
