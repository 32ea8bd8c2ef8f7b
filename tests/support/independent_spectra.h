// Spectra and waves computed here by their definitions, apart from the code under test: the
// 1461 bedrock spectrum, the simplified surface amplification of 1457, a damped oscillator
// stepped in time, and a written wave read back field by field.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace independent {

// The bedrock spectrum at the extremely rare level (gal), zone factor 1, from the notification:
// (3.2 + 30 T) m/s^2 below 0.16 s, 8.0 m/s^2 to 0.64 s, 5.12/T m/s^2 beyond.
inline double bedrock_target(double period) {
  if (period < 0.16) return 320.0 + 3000.0 * period;
  if (period < 0.64) return 800.0;
  return 512.0 / period;
}

// The simplified amplification Gs of ground class 2 (1457): 1.5 below 0.64 s, rising as
// 1.5 T / 0.64 to Gv = 2.025, reached at Tu = 0.64 x 2.025 / 1.5 = 0.864 s.
inline double soil2_amplification(double period) {
  if (period < 0.64) return 1.5;
  return period < 0.864 ? 1.5 * period / 0.64 : 2.025;
}

// The peak absolute acceleration (gal) of an oscillator of this period and damping, at rest at
// the start, under acc (gal, linear between samples): classical Runge-Kutta in double with
// sub-steps of at most 1/20 radian, the peak read at the samples.
inline double peak_response(const std::vector<double>& acc, double dt, double period,
                            double damping) {
  const double w = 2.0 * std::numbers::pi / period;
  const int substeps = std::max(1, static_cast<int>(std::ceil(w * dt / 0.05)));
  const double h = dt / substeps;
  double x = 0.0, v = 0.0, peak = 0.0;
  for (std::size_t m = 1; m < acc.size(); ++m) {
    const double g0 = acc[m - 1], slope = (acc[m] - acc[m - 1]) / dt;
    const auto accel = [&](double t, double xx, double vv) {
      return -2.0 * damping * w * vv - w * w * xx - (g0 + slope * t);
    };
    for (int s = 0; s < substeps; ++s) {
      const double t = s * h;
      const double k1x = v, k1v = accel(t, x, v);
      const double k2x = v + h / 2 * k1v, k2v = accel(t + h / 2, x + h / 2 * k1x, k2x);
      const double k3x = v + h / 2 * k2v, k3v = accel(t + h / 2, x + h / 2 * k2x, k3x);
      const double k4x = v + h * k3v, k4v = accel(t + h, x + h * k3x, k4x);
      x += h / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
      v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    peak = std::max(peak, std::abs(2.0 * damping * w * v + w * w * x));
  }
  return peak;
}

// The peak velocity (cm/s) from rest by the trapezoidal rule, of acc (gal) at step dt (s).
inline double peak_velocity(const std::vector<double>& acc, double dt) {
  double v = 0.0, peak = 0.0;
  for (std::size_t i = 1; i < acc.size(); ++i) {
    v += (acc[i - 1] + acc[i]) * dt / 2.0;
    peak = std::max(peak, std::abs(v));
  }
  return peak;
}

// A written wave (time and acceleration columns) as its float samples widened, and its step.
struct written_wave {
  std::vector<double> acc;
  double dt = 0.0;
};
inline written_wave read_written(const std::filesystem::path& file) {
  written_wave w;
  std::ifstream in(file);
  std::string row;
  std::getline(in, row);  // the header
  for (std::size_t k = 1; std::getline(in, row); ++k) {
    const std::size_t comma = row.find(',');
    w.acc.push_back(static_cast<double>(std::strtof(row.c_str() + comma + 1, nullptr)));
    if (k == 2) w.dt = static_cast<double>(std::strtof(row.c_str(), nullptr));
  }
  return w;
}

}  // namespace independent
