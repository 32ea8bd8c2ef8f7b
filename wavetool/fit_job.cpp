#include "wavetool/fit_job.h"

#include <map>
#include <vector>

#include "wavetool/fit_files.h"
#include "wavetool/import.h"
#include "wavetool/record.h"

namespace wavetool {

motion::design_settings design_settings_of(const fit_overrides& f) {
  motion::design_settings s;
  if (f.corners) s.corners = {(*f.corners)[0], (*f.corners)[1], (*f.corners)[2], (*f.corners)[3]};
  if (f.max_iterations) s.max_iterations = static_cast<std::int32_t>(*f.max_iterations);
  if (f.no_rest) s.rest = !*f.no_rest;
  return s;
}

fit_job_result run_fit_job(
    const wave& w, const motion::design_settings& s,
    const std::function<void(const motion::iteration_report&)>& on_iteration) {
  fit_job_result r;
  if (motion::transform_length(static_cast<std::int32_t>(w.acc.size())).nf == 0) {
    r.refused = "expected at most " + std::to_string(motion::max_transform_length) +
                " samples, found " + std::to_string(w.acc.size()) +
                " (cut a window with start and end)";
    return r;
  }
  r.fit = motion::design_fit(w.acc, w.dt, s, on_iteration);
  r.wave_text = fitted_wave_text(r.fit);
  // The measures of the wave as the file holds it, as `wavetool check` reads it.
  const wave_result back = parse_wave(r.wave_text, "fitted");
  const std::vector<double> acc(back.w.acc.begin(), back.w.acc.end());
  r.measures = motion::summarize(acc, static_cast<double>(back.w.dt));
  return r;
}

wave_result source_wave(const plan_wave& w, const plan_target&) {
  if (std::holds_alternative<seed_source>(w.source)) {
    // To be wired: the seed drawn for the target's spectrum, once the library holds it.
    return {{}, file_error{w.name, 0, "seed waves are not drawn yet"}};
  }
  const record_source& rec = std::get<record_source>(w.source);
  const std::string file = rec.path.string();
  wave_result r;
  file_error read_error;
  const auto text = read_text(rec.path, read_error);
  if (!text) return {{}, read_error};
  static const std::map<std::string, record_format> formats{{"at2", record_format::at2},
                                                            {"knet", record_format::knet},
                                                            {"jma", record_format::jma},
                                                            {"columns", record_format::columns}};
  const record_format format = rec.format == "auto" ? detect_format(*text) : formats.at(rec.format);
  record_options options;
  options.dt = rec.dt;
  options.column = static_cast<int>(rec.column);
  options.component = rec.component;
  const parsed_record p = parse_record(*text, format, options);
  if (!p.ok()) return {{}, file_error{file, p.error->line, p.error->message}};
  static const std::map<std::string, accel_unit> units{
      {"g", accel_unit::g}, {"gal", accel_unit::gal}, {"m/s2", accel_unit::m_per_s2}};
  const accel_unit unit = rec.units ? units.at(*rec.units) : p.rec.unit;
  const sample_range range = window_of(p.rec.values.size(), p.rec.dt, rec.start, rec.end);
  if (range.count < 2) {
    return {{},
            file_error{file, 0,
                       "expected at least 2 samples between start and end, found " +
                           std::to_string(range.count)}};
  }
  const std::vector<float> gal =
      to_gal(std::span(p.rec.values).subspan(range.first, range.count), gal_per(unit));
  return parse_wave(wave_text(gal, p.rec.dt), file);
}

}  // namespace wavetool
