#include "motion/empty_band.h"

#include <cmath>
#include <cstdint>
#include <numbers>

#include "motion/ran0.h"

namespace motion {

namespace {
// The seed of the phases; any fixed one serves, the fit corrects the amplitudes from there.
constexpr std::int32_t phase_seed = 1461;
}  // namespace

void fill_empty_band(const grid& g, float recorded_step, std::span<cplx> fds) {
  if (!(recorded_step > g.dt)) return;
  const auto nom = static_cast<std::size_t>(g.nom);
  // Grid point k stands for k*dom; the recorded Nyquist frequency is pi/recorded_step.
  const double dom = static_cast<double>(g.dom);
  const double nyquist = std::numbers::pi / static_cast<double>(recorded_step);
  const auto first = static_cast<std::size_t>(std::ceil(nyquist / dom));
  const auto octave = static_cast<std::size_t>(std::ceil(0.5 * nyquist / dom));
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
