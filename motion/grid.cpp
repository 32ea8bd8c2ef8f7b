#include "motion/grid.h"

namespace motion {

grid make_grid(std::int32_t nt, float dt, std::int32_t nf) {
  grid g;
  g.nt = nt;
  g.dt = dt;
  g.nf = nf;
  g.dur = static_cast<float>(nf) * dt;
  g.dom = numeric::two_pi / g.dur;
  g.nom = nf / 2 + 1;
  g.eom = static_cast<float>(g.nom) * g.dom;
  return g;
}

grid design_grid(std::int32_t nt, float dt) {
  return make_grid(nt, dt, transform_length(nt, max_design_transform_length).nf);
}

transform_size transform_length(std::int32_t nt, std::int32_t longest) {
  std::int32_t nf = 2;
  for (std::int32_t i = 2; nf < longest; ++i) {
    nf = 2 * nf;
    if (nf >= nt) return {nf, i};
  }
  return {};
}

}  // namespace motion
