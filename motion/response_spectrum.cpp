#include "motion/response_spectrum.h"

#include <numbers>

#include "motion/grid.h"
#include "numeric/response.h"

namespace motion {

response_spectrum::response_spectrum(std::size_t size, int threads, float damping,
                                     spectrum_method method)
    : damping_(damping),
      method_(method),
      omega_(size),
      acc_(size),
      vel_(size),
      dis_(size),
      engine_(threads) {}

void response_spectrum::compute(std::span<const float> ddy, std::int32_t nt, float dt, float dom,
                                std::int32_t nom, std::span<float> sa) {
  if (method_ == spectrum_method::scalar_loop) {
    float sv = 0.0f;
    float sd = 0.0f;
    for (std::int32_t j = 2; j <= nom; ++j) {
      numeric::resp(damping_, omega_at(j, dom), dt, nt, ddy, acc_, vel_, dis_,
                    sa[static_cast<std::size_t>(j - 1)], sv, sd);
    }
    return;
  }
  if (nom < 2) return;
  // Grid point j goes to element j-1 of both lists.
  for (std::int32_t j = 2; j <= nom; ++j)
    omega_[static_cast<std::size_t>(j - 1)] = omega_at(j, dom);
  const auto n = static_cast<std::size_t>(nom - 1);
  engine_.spectrum(damping_, dt, nt, ddy, std::span<const float>(omega_).subspan(1, n),
                   sa.subspan(1, n));
}

std::vector<float> spectrum_at_periods(std::span<const float> acc, float dt, float damping,
                                       std::span<const double> periods) {
  std::vector<float> omega(periods.size()), sa(periods.size());
  for (std::size_t k = 0; k < periods.size(); ++k) {
    omega[k] = static_cast<float>(2.0 * std::numbers::pi / periods[k]);
  }
  numeric::spectrum_engine engine;
  engine.spectrum(damping, dt, static_cast<int>(acc.size()), acc, omega, sa);
  return sa;
}

}  // namespace motion
