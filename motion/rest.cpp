#include "motion/rest.h"

#include <cmath>

#include "motion/measures.h"

namespace motion {
namespace {

double ramp(std::size_t i, std::size_t n) {
  return static_cast<double>(i) / static_cast<double>(n - 1);
}

}  // namespace

bool at_rest(const end_motion& end) {
  return std::abs(end.velocity) <= rest_velocity_limit &&
         std::abs(end.displacement) <= rest_displacement_limit;
}

rest_work::rest_work(std::size_t capacity) : vel_(capacity), dis_(capacity), basis_(capacity) {}

end_motion rest_work::end_of(std::span<const double> acc, double dt) {
  n_ = acc.size();
  if (n_ == 0) return {};
  const std::span<double> vel = std::span<double>(vel_).first(n_);
  const std::span<double> dis = std::span<double>(dis_).first(n_);
  integrate_from_rest(acc, dt, vel, dis);
  return {vel[n_ - 1], dis[n_ - 1]};
}

double rest_work::pgv() const {
  return peak_abs(std::span<const double>(vel_).first(n_)).value;
}

double rest_work::pgd() const {
  return peak_abs(std::span<const double>(dis_).first(n_)).value;
}

drift_line rest_work::drift_of(std::span<const double> acc, std::span<const float> shape,
                               double dt) {
  const std::size_t n = acc.size();
  if (n < 2) return {};
  const end_motion a = end_of(acc, dt);
  const std::span<double> basis = std::span<double>(basis_).first(n);
  for (std::size_t i = 0; i < n; ++i) basis[i] = static_cast<double>(shape[i]);
  const end_motion b0 = end_of(basis, dt);
  for (std::size_t i = 0; i < n; ++i) basis[i] *= ramp(i, n);
  const end_motion b1 = end_of(basis, dt);
  // Solve [b0.v b1.v; b0.d b1.d] (c0, c1) = (a.v, a.d) by Cramer's rule.
  const double det = b0.velocity * b1.displacement - b1.velocity * b0.displacement;
  if (det == 0.0 || !std::isfinite(det)) return {};
  return {(a.velocity * b1.displacement - b1.velocity * a.displacement) / det,
          (b0.velocity * a.displacement - a.velocity * b0.displacement) / det};
}

void remove_drift(std::span<double> acc, std::span<const float> shape, const drift_line& line) {
  const std::size_t n = acc.size();
  if (n < 2) return;
  for (std::size_t i = 0; i < n; ++i) {
    acc[i] -= static_cast<double>(shape[i]) * (line.c0 + line.c1 * ramp(i, n));
  }
}

}  // namespace motion
