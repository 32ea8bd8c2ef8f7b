#include "motion/criteria.h"

#include <cmath>

#include "numeric/single.h"

namespace motion {

float measure(const criteria& c, std::size_t k) {
  const std::array<float, criteria_count> m{c.cr1, c.cr2, c.cr3, c.cr4};
  return m[k];
}

period_window window_of(std::size_t k, const period_window& judged) {
  const period_window& w = criteria_rules[k].window;
  const bool replaced = w.shortest == judged_window.shortest && w.longest == judged_window.longest;
  return replaced ? judged : w;
}

bool meets(const criterion_rule& rule, float value) {
  return rule.compare == comparison::at_least ? value >= rule.limit : value <= rule.limit;
}

criteria_verdict judge(const criteria& c) {
  std::array<bool, criteria_count> met{};
  for (std::size_t k = 0; k < criteria_count; ++k) met[k] = meets(criteria_rules[k], measure(c, k));
  return {met[0], met[1], met[2], met[3]};
}

std::array<bool, criteria_count> computable(const grid& g, const period_window& judged) {
  std::array<bool, criteria_count> held{};
  for (std::int32_t j = 2; j <= g.nom; ++j) {
    const float period = period_of(omega_at(j, g.dom));
    for (std::size_t k = 0; k < criteria_count; ++k) {
      held[k] = held[k] || window_of(k, judged).holds(period);
    }
  }
  return held;
}

void criteria_sums::add(float period, float sa, float target) {
  if (judged_.holds(period)) {
    ++ncr_;
    const float eps = sa / target;
    if (eps < cr1_) cr1_ = eps;
    const float d = eps - 1.0f;
    cr3_ = cr3_ + d * d;
    cr4_ = cr4_ + eps;
  }
  if (sum_window.holds(period)) {
    cr2a_ = cr2a_ + sa;
    cr2b_ = cr2b_ + target;
  }
}

criteria criteria_sums::finish() const {
  const auto n = static_cast<float>(ncr_);
  return {cr1_, cr2a_ / cr2b_, numeric::to_single(std::sqrt(static_cast<double>(cr3_ / n))),
          cr4_ / n};
}

criteria criteria_of(const grid& g, std::span<const float> sa, std::span<const float> target,
                     const period_window& judged) {
  criteria_sums sums(judged);
  for (std::int32_t j = 2; j <= g.nom; ++j) {
    const auto k = static_cast<std::size_t>(j - 1);
    sums.add(period_of(omega_at(j, g.dom)), sa[k], target[k]);
  }
  return sums.finish();
}

}  // namespace motion
