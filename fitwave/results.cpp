#include "fitwave/results.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "fitwave/units.h"
#include "motion/fit.h"
#include "textio/textio.h"

namespace fitwave {
namespace {

using motion::spectra_table;

// One value per table column: the period and columns 0..10.
using row_buffer = std::array<textio::value, 1 + spectra_table::columns>;

row_buffer blank_row() {
  return {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
}

std::string_view name_of(std::span<const char> name) {
  return {name.data(), name.size()};
}

}  // namespace

void write_spectra_table(std::span<const char> name, const motion::grid& g, std::int32_t nit,
                         const spectra_table& resa) {
  textio::open_text_file(table_unit, name_of(name));
  static const std::array<textio::value, motion::max_table_iterations> iterations{1, 2, 3, 4, 5,
                                                                                  6, 7, 8, 9, 10};
  const auto nhead = static_cast<std::size_t>(std::clamp(nit, 0, motion::max_table_iterations));
  textio::write_pattern_record(table_unit, motion::table_header_pattern,
                               std::span<const textio::value>(iterations).first(nhead));

  const std::size_t nvalues = motion::table_row_values(nit);
  row_buffer row = blank_row();
  motion::row_thinning thinning;
  for (std::int32_t j = g.nom; j >= 2; --j) {
    const float period1 = motion::period_of(motion::omega_at(j, g.dom));
    if (!thinning.keep(period1)) continue;
    row[0] = period1;
    for (std::size_t k = 0; k + 1 < nvalues; ++k) {
      row[k + 1] = resa.column(k)[static_cast<std::size_t>(j - 1)];
    }
    textio::write_pattern_record(table_unit, motion::table_row_pattern,
                                 std::span<const textio::value>(row).first(nvalues));
  }
  textio::close_text_file(table_unit);
}

void write_fitted_wave(std::span<const char> name, const motion::grid& g, float ampfac,
                       std::span<const float> ddy, std::span<const float> eamp) {
  textio::open_text_file(fitted_unit, name_of(name));
  textio::write_free_record(fitted_unit, {"time(sec),Acc(gal),eamp,eamp*ampfac"});
  for (std::int32_t i = 1; i <= g.nt; ++i) {
    const auto k = static_cast<std::size_t>(i - 1);
    const float t = static_cast<float>(i - 1) * g.dt;
    textio::write_pattern_record(fitted_unit, motion::table_row_pattern,
                                 {t, ddy[k], eamp[k], motion::shaping(eamp[k], ampfac)});
  }
  textio::close_text_file(fitted_unit);
}

}  // namespace fitwave
