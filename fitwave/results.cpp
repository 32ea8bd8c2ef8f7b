#include "fitwave/results.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "fitwave/fitting.h"
#include "textio/textio.h"

namespace fitwave {
namespace {

using textio::console_in;
using textio::console_out;

constexpr std::string_view header_pattern = "('period(sec),kokuji1461',20(',Iteration No.',I3))";
constexpr std::string_view row_pattern = "(F8.4,20(',',E12.4))";

// One value per table column: the period and columns 0..10.
using row_buffer = std::array<textio::value, 1 + ncol>;

row_buffer blank_row() {
  return {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
}

void write_spectra_table(std::span<const char> infile, const grid& g, std::int32_t nit,
                         std::span<const float> resa) {
  textio::open_text_file(wave_unit, std::string_view(infile.data(), infile.size()));
  static const std::array<textio::value, ncol - 1> iterations{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const auto nhead = static_cast<std::size_t>(std::clamp(nit, 0, 10));
  textio::write_pattern_record(wave_unit, header_pattern,
                               std::span<const textio::value>(iterations).first(nhead));

  const std::size_t nvalues = table_row_values(nit);
  row_buffer row = blank_row();
  row_thinning thinning;
  for (std::int32_t j = g.nom; j >= 2; --j) {
    const float period1 = period_of(omega_at(j, g.dom));
    if (!thinning.keep(period1)) continue;
    row[0] = period1;
    for (std::size_t k = 0; k + 1 < nvalues; ++k) {
      row[k + 1] = resa_column(resa, k)[static_cast<std::size_t>(j - 1)];
    }
    textio::write_pattern_record(wave_unit, row_pattern,
                                 std::span<const textio::value>(row).first(nvalues));
  }
  textio::close_text_file(wave_unit);
}

void write_fitted_wave(std::span<const char> infile, const grid& g, float ampfac,
                       std::span<const float> ddy, std::span<const float> eamp) {
  textio::open_text_file(fitted_unit, std::string_view(infile.data(), infile.size()));
  textio::write_free_record(fitted_unit, {"time(sec),Acc(gal),eamp,eamp*ampfac"});
  for (std::int32_t i = 1; i <= g.nt; ++i) {
    const auto k = static_cast<std::size_t>(i - 1);
    const float t = static_cast<float>(i - 1) * g.dt;
    textio::write_pattern_record(fitted_unit, row_pattern,
                                 {t, ddy[k], eamp[k], shaping(eamp[k], ampfac)});
  }
  textio::close_text_file(fitted_unit);
}

}  // namespace

bool row_thinning::keep(float period1) {
  if (std::fabs(period1 - period0_) < 0.01f) return false;
  period0_ = period1;
  return true;
}

std::size_t table_row_values(std::int32_t nit) {
  return 1 + static_cast<std::size_t>(std::clamp(nit + 1, 0, static_cast<std::int32_t>(ncol)));
}

void write_results(std::span<char> infile, const grid& g, std::int32_t nit, float ampfac,
                   std::span<const float> resa, std::span<const float> ddy,
                   std::span<const float> eamp) {
  textio::write_free_record(console_out);
  textio::write_free_record(console_out, {"Enter Response Spectra Data"});
  // A null answer keeps the old text: clear it, so that it cannot name the input wave, which
  // the table would overwrite; a blank name ends the run before anything is written.
  std::fill(infile.begin(), infile.end(), ' ');
  textio::read_free_record(console_in, {infile});
  write_spectra_table(infile, g, nit, resa);

  textio::write_pattern_record(console_out, "(/,1X,'Enter output acceleration file name')");
  textio::read_text_field(console_in, infile);
  write_fitted_wave(infile, g, ampfac, ddy, eamp);
}

}  // namespace fitwave
