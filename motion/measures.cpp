#include "motion/measures.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace motion {
namespace {

// Running integral of a^2 (gal^2*s) at each sample, by the trapezoidal rule.
std::vector<double> running_square_integral(std::span<const double> acc, double dt) {
  std::vector<double> sum(acc.size(), 0.0);
  for (std::size_t i = 1; i < acc.size(); ++i) {
    sum[i] = sum[i - 1] + (acc[i - 1] * acc[i - 1] + acc[i] * acc[i]) * dt / 2.0;
  }
  return sum;
}

// Time at which the running integral first reaches level, interpolated inside its step.
double time_reaching(std::span<const double> sum, double dt, double level) {
  for (std::size_t i = 1; i < sum.size(); ++i) {
    if (sum[i] >= level) {
      const double rise = sum[i] - sum[i - 1];
      const double part = rise > 0.0 ? (level - sum[i - 1]) / rise : 0.0;
      return (static_cast<double>(i - 1) + part) * dt;
    }
  }
  return static_cast<double>(sum.size() - 1) * dt;
}

// gal^2*s to the Arias intensity in m/s.
double arias_of(double square_integral) {
  const double g = standard_gravity / 100.0;
  return std::numbers::pi / (2.0 * g) * square_integral / 1.0e4;
}

}  // namespace

void integrate_from_rest(std::span<const double> acc, double dt, std::span<double> vel,
                         std::span<double> dis) {
  if (acc.empty()) return;
  vel[0] = 0.0;
  dis[0] = 0.0;
  for (std::size_t i = 1; i < acc.size(); ++i) {
    vel[i] = vel[i - 1] + (acc[i - 1] + acc[i]) * dt / 2.0;
    dis[i] = dis[i - 1] + (vel[i - 1] + vel[i]) * dt / 2.0;
  }
}

peak peak_abs(std::span<const double> x) {
  peak p;
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (std::fabs(x[i]) > p.value) p = {std::fabs(x[i]), i};
  }
  return p;
}

double arias_intensity(std::span<const double> acc, double dt) {
  if (acc.size() < 2) return 0.0;
  return arias_of(running_square_integral(acc, dt).back());
}

double significant_duration(std::span<const double> acc, double dt) {
  if (acc.size() < 2) return 0.0;
  const std::vector<double> sum = running_square_integral(acc, dt);
  const double total = sum.back();
  if (!(total > 0.0)) return 0.0;
  return time_reaching(sum, dt, 0.95 * total) - time_reaching(sum, dt, 0.05 * total);
}

motion_summary summarize(std::span<const double> acc, double dt) {
  motion_summary s;
  s.samples = acc.size();
  s.dt = dt;
  if (acc.empty()) return s;
  std::vector<double> vel(acc.size()), dis(acc.size());
  integrate_from_rest(acc, dt, vel, dis);
  const peak a = peak_abs(acc);
  s.pga = a.value;
  s.pga_time = static_cast<double>(a.index) * dt;
  s.pgv = peak_abs(vel).value;
  s.pgd = peak_abs(dis).value;
  s.end_velocity = vel.back();
  s.end_displacement = dis.back();
  s.arias = arias_intensity(acc, dt);
  s.d5_95 = significant_duration(acc, dt);
  return s;
}

}  // namespace motion
