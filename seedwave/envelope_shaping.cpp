#include "seedwave/envelope_shaping.h"

#include "numeric/design.h"

namespace seedwave {

void shape_with_envelope(std::span<double> acc, const corner_times& c) {
  for (std::size_t i = 0; i < acc.size(); ++i) {
    const double time = sample_time(i);
    acc[i] = acc[i] * numeric::denvamp(time, c.tb, c.tc, c.td, c.te, afac);
  }
}

}  // namespace seedwave
