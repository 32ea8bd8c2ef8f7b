#include "motion/spectra_table.h"

#include <algorithm>
#include <cmath>

namespace motion {

bool row_thinning::keep(float period1) {
  if (std::fabs(period1 - period0_) < 0.01f) return false;
  period0_ = period1;
  return true;
}

std::size_t table_row_values(std::int32_t nit) {
  const auto ncol = static_cast<std::int32_t>(spectra_table::columns);
  return 1 + static_cast<std::size_t>(std::clamp(nit + 1, 0, ncol));
}

}  // namespace motion
