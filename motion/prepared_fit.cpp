#include "motion/prepared_fit.h"

#include <algorithm>
#include <cmath>

namespace motion {

unfit_reason fit_refusal(std::int32_t nt, float dt, const period_window& judged) {
  if (nt < 2) return unfit_reason::too_few_samples;
  // A step that is not positive puts infinities and NaNs into every frequency of the grid.
  if (!(dt > 0.0f) || !std::isfinite(dt)) return unfit_reason::bad_time_step;
  const transform_size size = transform_length(nt, max_design_transform_length);
  if (size.nf == 0) return unfit_reason::too_many_samples;
  const std::array<bool, criteria_count> held = computable(make_grid(nt, dt, size.nf), judged);
  const bool all = std::all_of(held.begin(), held.end(), [](bool b) { return b; });
  return all ? unfit_reason::none : unfit_reason::empty_window;
}

grid prepare_fit(std::int32_t nt, float dt, const corner_times& corners, const fit_arrays& a,
                 response_spectrum& spectrum) {
  // The caller has refused what its program does not take; up to 32768 samples both limits
  // give fitwave's transform.
  const grid g = design_grid(nt, dt);
  forward_coefficients(g, a.ddy, a.fds);
  target_spectrum(g, a.target);
  envelope(g, corners, a.eamp);
  spectrum.compute(a.ddy, g.nt, g.dt, g.dom, g.nom, a.input_sa);
  return g;
}

prepared_fit prepare_fit(std::span<const float> wave, float dt, const corner_times& corners,
                         float damping, const period_window& judged) {
  prepared_fit p;
  const auto nt = static_cast<std::int32_t>(std::min<std::size_t>(wave.size(), INT32_MAX));
  p.reason = fit_refusal(nt, dt, judged);
  const transform_size size = transform_length(nt, max_design_transform_length);
  if (p.reason == unfit_reason::too_few_samples || p.reason == unfit_reason::bad_time_step ||
      p.reason == unfit_reason::too_many_samples) {
    return p;
  }
  p.g = make_grid(nt, dt, size.nf);
  p.computable = computable(p.g, judged);
  const auto nf = static_cast<std::size_t>(p.g.nf);
  const auto nom = static_cast<std::size_t>(p.g.nom);
  p.ddy.assign(nf, 0.0f);
  std::copy(wave.begin(), wave.end(), p.ddy.begin());
  p.fds.assign(nf, cplx{});
  p.target.assign(nom, 0.0f);
  p.eamp.assign(nf, 0.0f);
  p.input_sa.assign(nom, 0.0f);
  response_spectrum spectrum(nf, 0, damping);
  prepare_fit(nt, dt, corners, {p.ddy, p.fds, p.target, p.eamp, p.input_sa}, spectrum);
  return p;
}

}  // namespace motion
