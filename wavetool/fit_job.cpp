#include "wavetool/fit_job.h"

#include <complex>
#include <vector>

#include "motion/seed_wave.h"
#include "waveio/seed_file.h"
#include "wavetool/fit_files.h"
#include "wavetool/import.h"

namespace wavetool {

motion::design_settings design_settings_of(const fit_overrides& f) {
  motion::design_settings s;
  if (f.corners) s.corners = {(*f.corners)[0], (*f.corners)[1], (*f.corners)[2], (*f.corners)[3]};
  if (f.max_iterations) s.max_iterations = static_cast<std::int32_t>(*f.max_iterations);
  if (f.no_rest) s.rest = !*f.no_rest;
  return s;
}

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

wave_result source_wave(const plan_wave& w, const plan_target& t) {
  if (const seed_source* seed = std::get_if<seed_source>(&w.source)) {
    const motion::seed_grid g = seed_grid_of(*seed);
    std::vector<std::complex<double>> fx(static_cast<std::size_t>(g.nf));
    std::vector<double> acc(static_cast<std::size_t>(g.nt));
    auto idum = static_cast<std::int32_t>(seed->seed);
    motion::seed_wave(idum, g, t.spectrum.spectrum, fx, acc);
    motion::seed_corners corners;
    corners.te = g.nt * g.dt;
    motion::shape_with_envelope(acc, g.dt, corners);
    return parse_wave(waveio::seed_file_text(acc, g.dt), w.name);
  }
  const record_source& rec = std::get<record_source>(w.source);
  record_request request;
  request.file = rec.path;
  for (const waveio::format_entry& f : waveio::record_formats()) {
    if (f.option == rec.format) request.format = f.format;
  }
  request.options.names = plan_key_names;
  request.options.dt = rec.dt;
  request.options.column = static_cast<int>(rec.column);
  request.options.component = rec.component;
  for (const waveio::accel_unit u :
       {waveio::accel_unit::g, waveio::accel_unit::gal, waveio::accel_unit::m_per_s2}) {
    if (rec.units && waveio::name_of(u) == *rec.units) request.options.unit = u;
  }
  request.start = rec.start;
  request.end = rec.end;
  const imported_record r = import_record(request);
  if (r.error) return {{}, *r.error};
  return parse_wave(wave_text(r.gal, r.dt), rec.path.string());
}

}  // namespace wavetool
