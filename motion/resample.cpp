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

// A factor k that is not a power of two: the finer wave is taken as k interleaved waves at the
// old step, the r-th shifted by r/k of a step, each the inverse transform of the spectrum times
// the shift's phase. This is the same band-limited wave as the zero-extended spectrum (the
// Nyquist coefficient shared between its two bins gives cos(pi r/k) of its real part), with
// transforms of the padded length only.
std::vector<float> resample_by_phases(std::span<const float> acc, std::int32_t k) {
  const std::size_t n = acc.size();
  const std::size_t nn = power_of_two_at_least(2 * n);
  const auto ku = static_cast<std::size_t>(k);
  std::vector<std::complex<double>> x(nn), z(nn);
  for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<double>(acc[i]);
  numeric::dwvfast(static_cast<int>(nn), x, -1);
  const std::size_t half = nn / 2;
  const std::size_t count = (n - 1) * ku + 1;
  std::vector<float> out(count);
  const double pi = std::acos(-1.0);
  for (std::size_t r = 0; r < ku; ++r) {
    const double shift = 2.0 * pi * static_cast<double>(r) / static_cast<double>(ku * nn);
    z[0] = x[0];
    for (std::size_t q = 1; q < half; ++q) {
      const std::complex<double> turn = std::polar(1.0, shift * static_cast<double>(q));
      z[q] = x[q] * turn;
      z[nn - q] = x[nn - q] * std::conj(turn);
    }
    z[half] = x[half].real() * std::cos(pi * static_cast<double>(r) / static_cast<double>(ku));
    numeric::dwvfast(static_cast<int>(nn), z, +1);
    for (std::size_t j = 0; j * ku + r < count; ++j) {
      out[j * ku + r] = static_cast<float>(z[j].real() / static_cast<double>(nn));
    }
  }
  return out;
}

}  // namespace

fit_step fit_step_for(float dt, float shortest_period, bool keep_step) {
  fit_step s{dt, 1};
  if (keep_step || !(dt > 0.0f)) return s;
  // The smallest whole factor: 0.1 s goes to 0.01 s by 10, not to 0.00625 s by 16, so that a
  // long coarse record is not made longer than the fit needs.
  while (s.dt > 0.5f * shortest_period && s.factor < max_factor) {
    ++s.factor;
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
  if (n < 2) return {};
  if (finer && k > 1 && k <= max_factor && !power_of_two(k)) return resample_by_phases(acc, k);
  if (!power_of_two(k)) return {};
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
