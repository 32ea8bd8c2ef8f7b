#include "operations/fit_job.h"

#include <vector>

#include "operations/fit_files.h"

namespace wavetool {

fit_job_setup set_up_fit(const wave& given, const std::string& shown,
                         const spectrum_request& target, const fit_settings& settings,
                         std::string_view cut_with) {
  const motion::period_window judged = criteria_window(target);
  fit_job_setup r;
  r.job.input = fit_input_of(given, judged, settings.keep_step);
  if (auto why = fit_refusal_text(r.job.input, judged, cut_with)) {
    // The engineer cuts the wave as recorded: a wave too long already at its own step is told so.
    if (r.job.input.recorded_step != 0.0f) {
      if (auto own = fit_refusal_text(fit_input{given}, judged, cut_with)) why = std::move(own);
    }
    r.refused = file_error{shown, 0, std::move(*why)};
    return r;
  }
  r.job.settings = settings.design;
  r.job.pgd_given = settings.max_pgd.has_value();
  aim_at(r.job.settings, target, r.job.input, settings.max_pgd);
  return r;
}

fit_job_result run_fit_job(
    const fit_job& job, const std::function<void(const motion::iteration_report&)>& on_iteration) {
  fit_job_result r;
  const wave& w = job.input.w;
  r.fit = motion::design_fit(w.acc, w.dt, job.settings, on_iteration);
  r.wave_text = fitted_wave_text(r.fit);
  // The measures of the wave as the file holds it, as `wavetool check` reads it.
  const wave_result back = parse_wave(r.wave_text, "fitted");
  const std::vector<double> acc(back.w.acc.begin(), back.w.acc.end());
  r.measures = motion::summarize(acc, static_cast<double>(back.w.dt));
  return r;
}

}  // namespace wavetool
