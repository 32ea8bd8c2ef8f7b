#include "motion/resample.h"

#include <cmath>
#include <complex>

#include "numeric/fft.h"

namespace motion {
namespace {

constexpr std::int32_t max_factor = 64;

bool power_of_two(std::int32_t k) {
  return k >= 1 && k <= max_factor && (k & (k - 1)) == 0;
}

std::size_t power_of_two_at_least(std::size_t n) {
  std::size_t p = 1;
  while (p < n) p *= 2;
  return p;
}

}  // namespace

fit_step fit_step_for(float dt, float shortest_period, bool keep_step) {
  fit_step s{dt, 1};
  if (keep_step || !(dt > 0.0f)) return s;
  while (s.dt > 0.5f * shortest_period && s.factor < max_factor) {
    s.factor *= 2;
    s.dt = dt / static_cast<float>(s.factor);
  }
  return s;
}

std::optional<std::int32_t> resample_factor(double dt, double new_dt) {
  if (!(dt > 0.0 && new_dt > 0.0)) return std::nullopt;
  const bool finer = new_dt <= dt;
  const double ratio = finer ? dt / new_dt : new_dt / dt;
  const auto k = static_cast<std::int32_t>(std::lround(ratio));
  if (!power_of_two(k) || std::abs(ratio - k) > 1e-6 * k) return std::nullopt;
  return finer ? k : -k;
}

std::vector<float> resample(std::span<const float> acc, std::int32_t factor) {
  const std::size_t n = acc.size();
  const bool finer = factor > 0;
  const std::int32_t k = finer ? factor : -factor;
  if (n < 2 || !power_of_two(k)) return {};
  // Zeros to twice the length at least, so that the periodic extension of the transform puts
  // the end of the wave far from its start.
  const std::size_t nn = power_of_two_at_least(2 * n);
  const auto ku = static_cast<std::size_t>(k);
  const std::size_t mm = finer ? nn * ku : nn / ku;
  if (mm < 4) return {};
  std::vector<std::complex<double>> x(nn), y(mm);
  for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<double>(acc[i]);
  numeric::dwvfast(static_cast<int>(nn), x, -1);
  // Frequencies below both Nyquist frequencies keep their coefficients; the lower Nyquist
  // frequency keeps the real part of its coefficient, shared between its two bins when finer.
  const std::size_t half = (finer ? nn : mm) / 2;
  for (std::size_t q = 1; q < half; ++q) {
    y[q] = x[q];
    y[mm - q] = x[nn - q];
  }
  y[0] = x[0];
  const double nyquist = x[half].real();
  if (finer) {
    y[half] = 0.5 * nyquist;
    y[mm - half] = 0.5 * nyquist;
  } else {
    y[half] = nyquist;
  }
  numeric::dwvfast(static_cast<int>(mm), y, +1);
  const std::size_t count = finer ? (n - 1) * ku + 1 : (n - 1) / ku + 1;
  std::vector<float> out(count);
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = static_cast<float>(y[i].real() / static_cast<double>(nn));
  }
  return out;
}

}  // namespace motion
