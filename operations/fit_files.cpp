#include "operations/fit_files.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "motion/spectra_table.h"
#include "waveio/fit_layouts.h"
#include "waveio/input_layout.h"
#include "waveio/text_fields.h"

namespace wavetool {

std::string fitted_wave_text(const motion::design_result& r) {
  waveio::text_sink out;
  const float last = static_cast<float>(r.g.nt - 1) * r.g.dt;
  waveio::fitted_wave_records(out, waveio::row_pattern_for(last), r.g, r.ampfac, r.wave, r.eamp);
  return std::move(out.text);
}

std::string spectra_table_text(const motion::design_result& r, const std::string& target) {
  const std::array<textio::value, 2> iterations{0, r.kept.iteration};
  const std::array<std::span<const float>, 3> columns{r.target, r.input_sa, r.final_sa};
  // The longest period of the table is that of grid point 2.
  const float longest = motion::period_of(motion::omega_at(2, r.g.dom));
  waveio::text_sink out;
  waveio::spectra_table_records(out, waveio::row_pattern_for(longest), r.g, iterations, columns);
  if (target.empty()) return std::move(out.text);
  // fitwave's header names its one target in its second field; another takes that place.
  std::string field = target;
  for (char& c : field) {
    if (c == ',') c = ';';
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  const std::size_t first = out.text.find(',') + 1;
  out.text.replace(first, out.text.find(',', first) - first, field);
  return std::move(out.text);
}

std::string unshaped_wave_text(std::span<const float> acc, float dt) {
  motion::grid g;
  g.nt = static_cast<std::int32_t>(acc.size());
  g.dt = dt;
  const std::vector<float> unit(acc.size(), 1.0f);
  waveio::text_sink out;
  const float last = static_cast<float>(g.nt - 1) * g.dt;
  waveio::fitted_wave_records(out, waveio::row_pattern_for(last), g, 1.0f, acc, unit);
  return std::move(out.text);
}

std::optional<std::string> unwritable_step(float dt) {
  // Two samples written and read back by the reader every command uses.
  const std::array<float, 2> two{0.0f, 0.0f};
  const waveio::wave_read back = waveio::read_wave_text(unshaped_wave_text(two, dt), "");
  if (back.ok() && back.w.dt == dt) return std::nullopt;
  return "step " + waveio::shortest_text(dt) +
         " s cannot be written in the fitted wave's layout, whose times hold four decimals";
}

}  // namespace wavetool
