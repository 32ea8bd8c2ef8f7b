#include "motion/empty_band.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "motion/ran0.h"

namespace motion {

namespace {
// The seed of the phases; any fixed one serves, the fit corrects the amplitudes from there.
constexpr std::int32_t phase_seed = 1461;
}  // namespace

std::size_t empty_band_start(const grid& g, std::span<const cplx> fds,
                             const lacking_band_tuning& tuning) {
  const auto nom = static_cast<std::size_t>(g.nom);
  std::vector<double> sum(nom + 1, 0.0);  // of the moduli below k
  for (std::size_t k = 1; k < nom; ++k) sum[k + 1] = sum[k] + static_cast<double>(std::abs(fds[k]));
  const auto mean = [&](std::size_t a, std::size_t b) {
    return (sum[b] - sum[a]) / static_cast<double>(b - a);
  };
  std::size_t first = nom;
  double most_above = 0.0;  // the largest sixth-octave mean from k up
  // Down to where k/band_parts is one coefficient (band_parts is at least 1).
  for (std::size_t k = nom - 1; k >= tuning.band_parts; --k) {
    const std::size_t width = std::max(tuning.narrowest_band, k / tuning.band_parts);
    most_above = std::max(most_above, mean(k, std::min(nom, k + width)));
    const double below = mean(k / 2, k);
    if (most_above < tuning.empty_level * below) first = k;
  }
  return first;
}

std::size_t lacking_band(const grid& g, std::span<const cplx> fds, float recorded_step,
                         const period_window& judged, const lacking_band_tuning& tuning) {
  const auto nom = static_cast<std::size_t>(g.nom);
  std::size_t first = nom;
  if (recorded_step > g.dt) {
    // Grid point k stands for k*dom; the recorded Nyquist frequency is pi/recorded_step.
    const double nyquist = std::numbers::pi / static_cast<double>(recorded_step);
    first = static_cast<std::size_t>(std::ceil(nyquist / static_cast<double>(g.dom)));
  } else {
    first = empty_band_start(g, fds, tuning);
  }
  if (first >= nom) return nom;
  const float t = period_of(omega_at(static_cast<std::int32_t>(first) + 1, g.dom));
  return t >= judged.shortest ? first : nom;
}

void fill_empty_band(const grid& g, std::size_t first, std::span<cplx> fds) {
  const auto nom = static_cast<std::size_t>(g.nom);
  const std::size_t octave = (first + 1) / 2;
  if (first >= nom || octave < 1 || octave >= first) return;
  double sum = 0.0;
  for (std::size_t k = octave; k < first; ++k) sum += static_cast<double>(std::abs(fds[k]));
  const double level = sum / static_cast<double>(first - octave);
  std::int32_t idum = phase_seed;
  for (std::size_t k = first; k < nom; ++k) {
    const double phase = 2.0 * std::numbers::pi * ran0(idum);
    fds[k] = cplx(static_cast<float>(level * std::cos(phase)),
                  static_cast<float>(level * std::sin(phase)));
  }
}

}  // namespace motion
