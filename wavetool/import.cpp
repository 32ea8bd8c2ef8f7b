#include "wavetool/import.h"

#include <algorithm>
#include <cmath>

#include "waveio/input_layout.h"

namespace wavetool {

std::vector<float> to_gal(std::span<const double> values, double factor) {
  std::vector<float> gal(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) gal[i] = static_cast<float>(values[i] * factor);
  return gal;
}

sample_range window_of(std::size_t samples, double dt, std::optional<double> start,
                       std::optional<double> end) {
  const double n = static_cast<double>(samples);
  const double first = start ? std::max(0.0, std::ceil(*start / dt - 1e-6)) : 0.0;
  const double last = end ? std::min(n - 1.0, std::floor(*end / dt + 1e-6)) : n - 1.0;
  if (!(first <= last)) return {};
  return {static_cast<std::size_t>(first), static_cast<std::size_t>(last - first) + 1};
}

std::string wave_text(std::span<const float> gal, double dt) {
  return waveio::input_wave_text(gal, dt);
}

}  // namespace wavetool
