#include "motion/criteria.h"

#include <cmath>

#include "numeric/single.h"

namespace motion {

criteria_verdict judge(const criteria& c) {
  return {c.cr1 >= cr1_limit, c.cr2 >= cr2_limit, c.cr3 <= cr3_limit, c.cr4 >= cr4_limit};
}

void criteria_sums::add(float period, float sa, float target) {
  if (period >= window_shortest_period && period <= 10.0f) {
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
  return {cr1_, cr2a_ / cr2b_, numeric::to_single(std::sqrt(static_cast<double>(cr3_ / n))),
          cr4_ / n};
}

criteria criteria_of(const grid& g, std::span<const float> sa, std::span<const float> target) {
  criteria_sums sums;
  for (std::int32_t j = 2; j <= g.nom; ++j) {
    const auto k = static_cast<std::size_t>(j - 1);
    sums.add(period_of(omega_at(j, g.dom)), sa[k], target[k]);
  }
  return sums.finish();
}

}  // namespace motion
