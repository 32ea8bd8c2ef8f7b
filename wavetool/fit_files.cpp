#include "wavetool/fit_files.h"

#include <array>
#include <span>

#include "motion/spectra_table.h"
#include "textio/textio.h"

namespace wavetool {

std::string fitted_wave_text(const motion::design_result& r) {
  const std::array<textio::item, 1> header{"time(sec),Acc(gal),eamp,eamp*ampfac"};
  std::string text = textio::free_record_text(header);
  const textio::pattern_text row(motion::table_row_pattern);
  for (std::size_t k = 0; k < r.wave.size(); ++k) {
    const float t = static_cast<float>(k) * r.g.dt;
    const std::array<textio::value, 4> values{t, r.wave[k], r.eamp[k],
                                              motion::shaping(r.eamp[k], r.ampfac)};
    text += row.records(values);
  }
  return text;
}

std::string spectra_table_text(const motion::design_result& r) {
  const std::array<textio::value, 2> iterations{0, r.kept.iteration};
  std::string text = textio::pattern_text(motion::table_header_pattern).records(iterations);
  const textio::pattern_text row(motion::table_row_pattern);
  motion::row_thinning thinning;
  for (std::int32_t j = r.g.nom; j >= 2; --j) {
    const float period = motion::period_of(motion::omega_at(j, r.g.dom));
    if (!thinning.keep(period)) continue;
    const auto k = static_cast<std::size_t>(j - 1);
    const std::array<textio::value, 4> values{period, r.target[k], r.input_sa[k], r.final_sa[k]};
    text += row.records(values);
  }
  return text;
}

}  // namespace wavetool
