// What a read plan asks of each fit: a seed's grid, and the fit keys of [defaults], the target
// and the wave, the wave's winning over its target's over the defaults', and the wave a source
// gives.
#include <vector>

#include "motion/seed_wave.h"
#include "operations/import.h"
#include "suite/plan.h"
#include "waveio/seed_file.h"

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

motion::design_settings design_settings_of(const fit_overrides& f) {
  motion::design_settings s;
  if (f.corners) s.corners = {(*f.corners)[0], (*f.corners)[1], (*f.corners)[2], (*f.corners)[3]};
  if (f.max_iterations) s.max_iterations = static_cast<std::int32_t>(*f.max_iterations);
  if (f.no_rest) s.rest = !*f.no_rest;
  return s;
}

fit_settings fit_settings_of(const fit_overrides& f) {
  fit_settings s;
  s.design = design_settings_of(f);
  s.keep_step = f.keep_step.value_or(false);
  s.max_pgd = f.max_pgd;
  return s;
}

wave_result source_wave(const plan_wave& w, const plan_target& t) {
  if (const seed_source* seed = std::get_if<seed_source>(&w.source)) {
    const motion::seed_grid g = seed_grid_of(*seed);
    const std::vector<double> acc = motion::draw_seed(
        static_cast<std::int32_t>(seed->seed), g, t.spectrum.spectrum, motion::default_corners(g));
    return parse_wave(waveio::seed_file_text(acc, g.dt), w.name);
  }
  const record_source& rec = std::get<record_source>(w.source);
  record_request request;
  request.file = rec.path;
  request.format = waveio::format_named(rec.format);
  request.options.names = plan_key_names;
  request.options.dt = rec.dt;
  request.options.column = static_cast<int>(rec.column);
  request.options.component = rec.component;
  if (rec.units) request.options.unit = waveio::unit_named(*rec.units);
  request.start = rec.start;
  request.end = rec.end;
  const imported_record r = import_record(request);
  if (r.error) return {{}, *r.error};
  return parse_wave(wave_text(r.gal, r.dt), rec.path.string());
}

}  // namespace wavetool
