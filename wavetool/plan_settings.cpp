// What a read plan asks of each fit: a seed's grid, and the fit keys of [defaults], the target
// and the wave, the wave's winning over its target's over the defaults'.
#include "motion/seed_wave.h"
#include "wavetool/plan.h"

namespace wavetool {

motion::seed_grid seed_grid_of(const seed_source& s) {
  return motion::make_seed_grid(
      static_cast<std::int32_t>(s.samples.value_or(motion::default_seed_samples)),
      s.dt.value_or(motion::default_seed_dt));
}

fit_overrides settings_of(const plan& p, std::size_t t, std::size_t w) {
  fit_overrides f = p.defaults;
  for (const fit_overrides* o : {&p.targets[t].fit, &p.waves[w].fit}) {
    if (o->corners) f.corners = o->corners;
    if (o->max_iterations) f.max_iterations = o->max_iterations;
    if (o->no_rest) f.no_rest = o->no_rest;
    if (o->keep_step) f.keep_step = o->keep_step;
    if (o->max_pgd) f.max_pgd = o->max_pgd;
    if (o->exports) f.exports = o->exports;
  }
  return f;
}

}  // namespace wavetool
