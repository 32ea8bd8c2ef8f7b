#include "operations/site_job.h"

#include <cmath>

#include "operations/fit_files.h"
#include "operations/site_results.h"
#include "waveio/text_fields.h"

namespace wavetool {

site_run run_site_analysis(const site::site_profile& profile, const wave& w,
                           const site_points& points) {
  const std::vector<double> acc(w.acc.begin(), w.acc.end());
  site::site_motion taken;
  taken.acc = acc;
  taken.dt = static_cast<double>(w.dt);
  taken.input_kind = points.input_kind;
  taken.input_depth = points.input_depth;
  taken.output_kind = points.output_kind;
  taken.output_depth = points.output_depth;
  site_run run;
  run.response = site::analyse_site(profile, taken);
  const site::site_response& r = run.response;
  if (r.failure) {
    const site::site_failure& f = *r.failure;
    // Every reason names a strain (%) but the one of a damping the modulus form cannot take.
    const std::string unit = f.reason.starts_with("damping") ? "" : " %";
    const std::string value =
        std::isfinite(f.value) ? " (" + waveio::short_text(f.value) + unit + ")" : "";
    run.failure = sublayer_label(profile, f.sublayer) + ": " + f.reason + value;
    return run;
  }
  std::vector<float> output(r.acc.size());
  for (std::size_t i = 0; i < r.acc.size(); ++i) output[i] = static_cast<float>(r.acc[i]);
  run.wave_text = unshaped_wave_text(output, w.dt);
  // The measures of the wave as written, as `check` will read it.
  const wave_result written = parse_wave(run.wave_text, "site");
  const std::vector<double> back(written.w.acc.begin(), written.w.acc.end());
  run.measures = motion::summarize(back, static_cast<double>(written.w.dt));
  return run;
}

std::vector<std::string> beyond_table_notes(const site::site_profile& profile,
                                            const site::site_response& r) {
  std::vector<std::string> notes;
  std::vector<bool> told(profile.layers.size());
  for (const site::sublayer_result& s : r.sublayers) {
    if (!s.beyond_table || told[s.layer]) continue;
    told[s.layer] = true;
    notes.push_back("layer " + waveio::quoted(layer_label(profile, s.layer)) +
                    ": an effective strain lies beyond its table's rows (" +
                    waveio::short_text(s.strain_eff_pct) + " %); the end row's values taken");
  }
  return notes;
}

}  // namespace wavetool
