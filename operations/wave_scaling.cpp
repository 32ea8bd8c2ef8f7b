#include "operations/wave_scaling.h"

#include <vector>

#include "operations/export.h"
#include "operations/fit_files.h"

namespace wavetool {

scaling_result scale_wave(const wave& w, const wave_scaling& s, const std::string& aim) {
  if (const auto why = unwritable_step(w.dt)) return {std::nullopt, *why};
  const std::vector<double> acc(w.acc.begin(), w.acc.end());
  const double dt = static_cast<double>(w.dt);
  double factor = s.value;
  if (s.measure != scale_measure::factor) {
    const motion::motion_summary before = motion::summarize(acc, dt);
    // Velocity from rest by the trapezoidal rule, as `check` integrates it.
    const double measured = s.measure == scale_measure::pga ? before.pga : before.pgv;
    if (!(measured > 0.0)) {
      return {std::nullopt, std::string("its peak ") +
                                (s.measure == scale_measure::pga ? "acceleration" : "velocity") +
                                " is 0: no factor gives " + aim};
    }
    factor = s.value / measured;
  }
  const std::vector<double> scaled = history_values(w, history::acceleration, factor);
  if (const auto why = unreadable_values(scaled, "gal")) {
    return {std::nullopt, aim + " gives " + *why};
  }
  std::vector<float> gal(scaled.size());
  for (std::size_t i = 0; i < scaled.size(); ++i) gal[i] = static_cast<float>(scaled[i]);
  scaled_wave out;
  out.text = unshaped_wave_text(gal, w.dt);
  out.factor = factor;
  // The layout's four significant digits can round a value near the largest float beyond it.
  const wave_result back = parse_wave(out.text, "scaled");
  if (!back.ok()) {
    return {std::nullopt,
            aim + " gives values the fitted wave's layout cannot hold: " + back.error->message};
  }
  const std::vector<double> written(back.w.acc.begin(), back.w.acc.end());
  out.measures = motion::summarize(written, dt);
  return {std::move(out), std::nullopt};
}

}  // namespace wavetool
