#include "operations/fit_setup.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>

#include "motion/resample.h"
#include "motion/target_grid.h"
#include "operations/option_numbers.h"
#include "waveio/text_fields.h"

namespace wavetool {
namespace {

std::string too_many_samples(const fit_input& in, std::string_view cut_with) {
  constexpr std::int32_t longest = motion::max_design_transform_length;
  // The step as the wave gives it (0.01 s, not the float's binary expansion).
  const double step = parse_real(waveio::shortest_text(in.w.dt)).value_or(0.0);
  const std::string window = waveio::short_text(static_cast<double>(longest - 1) * step);
  const std::string s = "expected at most " + std::to_string(longest) + " samples, found " +
                        std::to_string(in.w.acc.size());
  if (in.recorded_step == 0.0f) return s + " (cut a window with " + std::string(cut_with) + ")";
  return s + " after resampling its " + std::to_string(in.recorded_samples) + " samples at " +
         waveio::shortest_text(in.recorded_step) + " s to " + waveio::shortest_text(in.w.dt) +
         " s (cut a window of at most " + window + " s with " + std::string(cut_with) + ")";
}

// The first criterion whose window holds no period of the grid of w's nt samples.
std::string unjudged_criterion(const wave& w, std::int32_t nt,
                               const motion::period_window& judged) {
  const std::array<bool, motion::criteria_count> held =
      motion::computable(motion::design_grid(nt, w.dt), judged);
  std::size_t k = 0;
  while (k + 1 < held.size() && held[k]) ++k;
  const motion::period_window p = motion::window_of(k, judged);
  return "criterion " + std::to_string(k + 1) + " cannot be judged: no period of " +
         std::to_string(nt) + " samples at " + waveio::shortest_text(w.dt) +
         " s lies in its window " + waveio::shortest_text(p.shortest) + ".." +
         waveio::shortest_text(p.longest) + " s";
}

}  // namespace

fit_input fit_input_of(const wave& given, const motion::period_window& judged, bool keep_step) {
  const motion::fit_step step = motion::fit_step_for(given.dt, judged.shortest, keep_step);
  fit_input in{given, 0.0f, 0};
  if (step.factor != 1) {
    in.w.acc = motion::resample(given.acc, step.factor);
    in.w.dt = step.dt;
    in.recorded_step = given.dt;
    in.recorded_samples = given.acc.size();
  }
  return in;
}

std::string resampled_note(const fit_input& in) {
  if (in.recorded_step == 0.0f) return {};
  char note[200];
  std::snprintf(note, sizeof note,
                ": step %.6g s is coarser than half the window's shortest period: resampled "
                "to %.6g s by band-limited interpolation, fitted and written at that step",
                static_cast<double>(in.recorded_step), static_cast<double>(in.w.dt));
  return note;
}

void aim_at(motion::design_settings& s, const spectrum_request& r, const fit_input& in,
            std::optional<double> max_pgd) {
  s.recorded_step = in.recorded_step;
  s.damping = static_cast<float>(r.spectrum.damping);
  s.judged = criteria_window(r);
  s.max_pgd = max_pgd.value_or(motion::plausible_pgd(r.spectrum, s.tuning.displacement));
  if (!motion::is_fitwave_target(r.spectrum)) {
    const auto nt = static_cast<std::int32_t>(in.w.acc.size());
    s.target = motion::target_on_grid(motion::design_grid(nt, in.w.dt), r.spectrum);
  }
}

std::optional<std::string> fit_refusal_text(const fit_input& in,
                                            const motion::period_window& judged,
                                            std::string_view cut_with) {
  const wave& w = in.w;
  const auto nt = static_cast<std::int32_t>(std::min<std::size_t>(w.acc.size(), INT32_MAX));
  switch (motion::fit_refusal(nt, w.dt, judged)) {
    case motion::unfit_reason::too_many_samples:
      return too_many_samples(in, cut_with);
    case motion::unfit_reason::empty_window:
      return unjudged_criterion(w, nt, judged);
    default:
      return std::nullopt;
  }
}

}  // namespace wavetool
