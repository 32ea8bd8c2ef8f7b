#include "operations/fit_job.h"

#include <vector>

#include "operations/fit_files.h"

namespace wavetool {

std::optional<std::string> fit_refusal_of(const fit_input& in, const spectrum_request& target) {
  const auto samples = static_cast<std::int32_t>(in.w.acc.size());
  if (motion::transform_length(samples, motion::max_design_transform_length).nf == 0) {
    return too_many_samples(in, "the record's start and end");
  }
  return unjudged_criterion(in.w, criteria_window(target));
}

fit_job_result run_fit_job(
    const fit_input& in, const spectrum_request& target, motion::design_settings s,
    std::optional<double> max_pgd,
    const std::function<void(const motion::iteration_report&)>& on_iteration) {
  fit_job_result r;
  const wave& w = in.w;
  if ((r.refused = fit_refusal_of(in, target))) return r;
  aim_at(s, target, in, max_pgd);
  r.fit = motion::design_fit(w.acc, w.dt, s, on_iteration);
  r.wave_text = fitted_wave_text(r.fit);
  // The measures of the wave as the file holds it, as `wavetool check` reads it.
  const wave_result back = parse_wave(r.wave_text, "fitted");
  const std::vector<double> acc(back.w.acc.begin(), back.w.acc.end());
  r.measures = motion::summarize(acc, static_cast<double>(back.w.dt));
  return r;
}

}  // namespace wavetool
