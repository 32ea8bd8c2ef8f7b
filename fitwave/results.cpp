#include "fitwave/results.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "fitwave/units.h"
#include "textio/textio.h"
#include "waveio/fit_layouts.h"

namespace fitwave {
namespace {

using motion::spectra_table;

std::string_view name_of(std::span<const char> name) {
  return {name.data(), name.size()};
}

// The records of a layout on one of fitwave's units.
class unit_sink : public waveio::record_sink {
 public:
  explicit unit_sink(int unit) : unit_(unit) {}
  void free_record(std::span<const textio::item> items) override {
    textio::write_free_record(unit_, items);
  }
  void pattern_record(std::string_view pattern, std::span<const textio::value> values) override {
    textio::write_pattern_record(unit_, pattern, values);
  }

 private:
  int unit_;
};

}  // namespace

void write_spectra_table(std::span<const char> name, const motion::grid& g, std::int32_t nit,
                         const spectra_table& resa) {
  textio::open_text_file(table_unit, name_of(name));
  static const std::array<textio::value, motion::max_table_iterations> iterations{1, 2, 3, 4, 5,
                                                                                  6, 7, 8, 9, 10};
  const auto nhead = static_cast<std::size_t>(std::clamp(nit, 0, motion::max_table_iterations));
  // The target and the spectrum of every iteration, as many as the table has room for.
  const std::size_t ncolumns = motion::table_row_values(nit) - 1;
  std::vector<std::span<const float>> columns;
  for (std::size_t k = 0; k < ncolumns; ++k) columns.push_back(resa.column(k));
  unit_sink out(table_unit);
  waveio::spectra_table_records(out, waveio::table_row_pattern, g,
                                std::span<const textio::value>(iterations).first(nhead), columns);
  textio::close_text_file(table_unit);
}

void write_fitted_wave(std::span<const char> name, const motion::grid& g, float ampfac,
                       std::span<const float> ddy, std::span<const float> eamp) {
  textio::open_text_file(fitted_unit, name_of(name));
  unit_sink out(fitted_unit);
  waveio::fitted_wave_records(out, waveio::table_row_pattern, g, ampfac, ddy, eamp);
  textio::close_text_file(fitted_unit);
}

}  // namespace fitwave
