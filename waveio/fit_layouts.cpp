#include "waveio/fit_layouts.h"

#include <array>
#include <cmath>
#include <vector>

#include "motion/fit.h"
#include "motion/spectra_table.h"

namespace waveio {

void text_sink::free_record(std::span<const textio::item> items) {
  text += textio::free_record_text(items);
}

void text_sink::pattern_record(std::string_view pattern, std::span<const textio::value> values) {
  if (!parsed_ || pattern != pattern_) {
    pattern_ = pattern;
    parsed_ = std::make_unique<textio::pattern_text>(pattern);
  }
  text += parsed_->records(values);
}

std::string row_pattern_for(float largest) {
  const std::string_view fitwave = table_row_pattern;  // "(F8.4,...": width at [2]
  int width = 8;
  // F<w>.4 holds up to 10^(w-5) less half a unit of the fourth decimal.
  for (double limit = 1000.0; width < 40 && static_cast<double>(largest) >= limit - 0.00005;
       limit *= 10.0) {
    ++width;
  }
  if (width == 8) return std::string(fitwave);
  return "(F" + std::to_string(width) + std::string(fitwave.substr(3));
}

void fitted_wave_records(record_sink& out, std::string_view row_pattern, const motion::grid& g,
                         float ampfac, std::span<const float> ddy, std::span<const float> eamp) {
  const std::array<textio::item, 1> header{"time(sec),Acc(gal),eamp,eamp*ampfac"};
  out.free_record(header);
  for (std::int32_t i = 1; i <= g.nt; ++i) {
    const auto k = static_cast<std::size_t>(i - 1);
    const float t = static_cast<float>(i - 1) * g.dt;
    const std::array<textio::value, 4> row{t, ddy[k], eamp[k], motion::shaping(eamp[k], ampfac)};
    out.pattern_record(row_pattern, row);
  }
}

void spectra_table_records(record_sink& out, std::string_view row_pattern, const motion::grid& g,
                           std::span<const textio::value> iterations,
                           std::span<const std::span<const float>> columns) {
  out.pattern_record(table_header_pattern, iterations);
  std::vector<textio::value> row(1 + columns.size(), 0.0f);
  motion::row_thinning thinning;
  for (std::int32_t j = g.nom; j >= 2; --j) {
    const float period1 = motion::period_of(motion::omega_at(j, g.dom));
    if (!thinning.keep(period1)) continue;
    row[0] = period1;
    for (std::size_t k = 0; k < columns.size(); ++k) {
      row[k + 1] = columns[k][static_cast<std::size_t>(j - 1)];
    }
    out.pattern_record(row_pattern, row);
  }
}

}  // namespace waveio
