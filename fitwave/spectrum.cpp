#include "fitwave/spectrum.h"

#include "fitwave/grid.h"
#include "numeric/response.h"

namespace fitwave {

response_spectrum::response_spectrum(std::size_t size) : acc_(size), vel_(size), dis_(size) {}

void response_spectrum::compute(std::span<const float> ddy, std::int32_t nt, float dt, float dom,
                                std::int32_t nom, std::span<float> sa) {
  float sv = 0.0f;
  float sd = 0.0f;
  for (std::int32_t j = 2; j <= nom; ++j) {
    numeric::resp(h, omega_at(j, dom), dt, nt, ddy, acc_, vel_, dis_,
                  sa[static_cast<std::size_t>(j - 1)], sv, sd);
  }
}

}  // namespace fitwave
