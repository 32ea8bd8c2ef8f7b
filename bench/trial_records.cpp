#include "bench/trial_records.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>

#include "motion/resample.h"
#include "numeric/fft.h"

namespace {

// The corners a designer gives a record of this length: a build-up of 5 %, strong motion to
// 40 %, the decay to 75 %, the end.
motion::corner_times corners_for(std::size_t n, float dt) {
  const float t = static_cast<float>(n) * dt;
  return {0.05f * t, 0.4f * t, 0.75f * t, t};
}

trial_wave named(const std::string& what, std::vector<float> acc, float dt) {
  char step[16];
  std::snprintf(step, sizeof step, " %g", static_cast<double>(dt));
  const motion::corner_times c = corners_for(acc.size(), dt);
  char length[32];
  std::snprintf(length, sizeof length, " %.0fs", static_cast<double>(c.te));
  return {"record " + what + length + step, std::move(acc), dt, c};
}

std::vector<float> first(std::span<const float> acc, float dt, float seconds) {
  const auto n = std::min(acc.size(), static_cast<std::size_t>(std::lround(seconds / dt)));
  return {acc.begin(), acc.begin() + static_cast<std::ptrdiff_t>(n)};
}

// Band-limited (Lanczos, 16 lobes) interpolation to another step, for ratios that are not powers
// of two; the content lies below both Nyquist frequencies.
std::vector<float> interpolated(std::span<const float> acc, double dt, double new_dt) {
  constexpr int lobes = 16;
  const auto n =
      static_cast<std::size_t>(std::floor((static_cast<double>(acc.size()) - 1.0) * dt / new_dt)) +
      1;
  std::vector<float> out(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double x = static_cast<double>(i) * new_dt / dt;
    const auto c = static_cast<long>(std::floor(x));
    double sum = 0.0;
    for (long k = c - lobes + 1; k <= c + lobes; ++k) {
      if (k < 0 || k >= static_cast<long>(acc.size())) continue;
      const double d = x - static_cast<double>(k);
      const double pd = std::numbers::pi * d;
      const double w =
          std::abs(d) < 1e-12 ? 1.0 : std::sin(pd) / pd * std::sin(pd / lobes) / (pd / lobes);
      sum += w * static_cast<double>(acc[static_cast<std::size_t>(k)]);
    }
    out[i] = static_cast<float>(sum);
  }
  return out;
}

// A near-fault velocity pulse (Mavroeidis and Papageorgiou 2003, gamma 2, phase 0) of peak
// velocity amplitude (cm/s) and period tp (s) at t0, added as acceleration (its derivative).
std::vector<float> with_pulse(std::vector<float> acc, double dt, double amplitude, double tp,
                              double t0) {
  constexpr double gamma = 2.0;
  const double f = 1.0 / tp, w = 2.0 * std::numbers::pi * f;
  for (std::size_t i = 0; i < acc.size(); ++i) {
    const double tau = static_cast<double>(i) * dt - t0;
    if (std::abs(tau) > gamma / (2.0 * f)) continue;
    const double a = -0.5 * amplitude *
                     (w / gamma * std::sin(w * tau / gamma) * std::cos(w * tau) +
                      (1.0 + std::cos(w * tau / gamma)) * w * std::sin(w * tau));
    acc[i] += static_cast<float>(a);
  }
  return acc;
}

// A zero-phase low-pass of the Butterworth magnitude of the given order at fc (Hz), as record
// processing applies one.
std::vector<float> low_passed(std::span<const float> acc, double dt, double fc, int order) {
  std::size_t n = 1;
  while (n < 2 * acc.size()) n *= 2;
  std::vector<std::complex<double>> x(n);
  for (std::size_t i = 0; i < acc.size(); ++i) x[i] = static_cast<double>(acc[i]);
  numeric::dwvfast(static_cast<int>(n), x, -1);
  for (std::size_t k = 0; k < n; ++k) {
    const double f = static_cast<double>(std::min(k, n - k)) / (static_cast<double>(n) * dt);
    x[k] /= std::sqrt(1.0 + std::pow(f / fc, 2.0 * order)) * static_cast<double>(n);
  }
  numeric::dwvfast(static_cast<int>(n), x, +1);
  std::vector<float> out(acc.size());
  for (std::size_t i = 0; i < acc.size(); ++i) out[i] = static_cast<float>(x[i].real());
  return out;
}

std::vector<float> padded(std::vector<float> acc, float dt, float seconds) {
  acc.resize(static_cast<std::size_t>(std::lround(seconds / dt)), 0.0f);
  return acc;
}

}  // namespace

std::vector<trial_wave> short_records(int n, std::span<const float> acc, float dt) {
  std::vector<trial_wave> v;
  for (const float seconds : {15.0f, 20.0f}) {
    v.push_back(named("seed" + std::to_string(n), first(acc, dt, seconds), dt));
  }
  return v;
}

std::vector<trial_wave> record_variants(std::span<const float> elcentro,
                                        std::span<const float> rsn753) {
  const std::vector<float> rsn_01 = motion::resample(rsn753, -2);
  const std::vector<float> rsn_02 = motion::resample(rsn753, -4);
  const std::vector<float> el_005 = motion::resample(elcentro, 4);
  const std::vector<float> el_01 = motion::resample(elcentro, 2);
  std::vector<trial_wave> v;
  v.push_back(named("rsn753", first(rsn753, 0.005f, 15.0f), 0.005f));
  v.push_back(named("rsn753", first(rsn753, 0.005f, 20.0f), 0.005f));
  v.push_back(named("rsn753", interpolated(rsn753, 0.005, 0.004), 0.004f));
  v.push_back(named("rsn753", rsn_01, 0.01f));
  v.push_back(named("rsn753", first(rsn_01, 0.01f, 15.0f), 0.01f));
  v.push_back(named("rsn753", rsn_02, 0.02f));
  v.push_back(named("rsn753", padded(rsn_01, 0.01f, 60.0f), 0.01f));
  v.push_back(named("elcentro", first(elcentro, 0.02f, 15.0f), 0.02f));
  // Filtered at 25 Hz and given at finer steps: nothing above 25 Hz, yet not resampled by fit.
  v.push_back(named("elcentro-25Hz", el_005, 0.005f));
  v.push_back(named("elcentro-25Hz", el_01, 0.01f));
  v.push_back(named("elcentro-25Hz", padded(el_01, 0.01f, 60.0f), 0.01f));
  v.push_back(named("rsn753-lp25Hz/4", low_passed(rsn753, 0.005, 25.0, 4), 0.005f));
  v.push_back(named("rsn753-lp20Hz/8", low_passed(rsn753, 0.005, 20.0, 8), 0.005f));
  v.push_back(named("rsn753-lp25Hz/4", low_passed(rsn_01, 0.01, 25.0, 4), 0.01f));
  v.push_back(named("rsn753+pulse2s",
                    with_pulse({rsn753.begin(), rsn753.end()}, 0.005, 80.0, 2.0, 6.0), 0.005f));
  v.push_back(named("rsn753+pulse4s", with_pulse(rsn_01, 0.01, 100.0, 4.0, 8.0), 0.01f));
  v.push_back(named("elcentro+pulse1s",
                    with_pulse({elcentro.begin(), elcentro.end()}, 0.02, 60.0, 1.0, 3.0), 0.02f));
  v.push_back(named("elcentro+pulse3s",
                    with_pulse(first(el_01, 0.01f, 20.0f), 0.01, 120.0, 3.0, 5.0), 0.01f));
  return v;
}
