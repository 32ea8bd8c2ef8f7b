#include "wavetool/fit_files.h"

#include <array>
#include <span>
#include <string_view>

#include "motion/spectra_table.h"
#include "textio/detail/pattern.h"

namespace wavetool {
namespace {

// Records collected into one text, each ended by CR LF.
class text_records : public textio::detail::record_writer {
 public:
  std::string text;
  void end_record() override {
    text += record;
    text += "\r\n";
    record.clear();
  }
};

}  // namespace

std::string fitted_wave_text(const motion::design_result& r) {
  text_records out;
  const std::array<textio::item, 1> header{"time(sec),Acc(gal),eamp,eamp*ampfac"};
  textio::detail::write_free_items(out, header);
  const textio::detail::parsed_pattern row =
      textio::detail::parse_pattern(motion::table_row_pattern);
  for (std::size_t k = 0; k < r.wave.size(); ++k) {
    const float t = static_cast<float>(k) * r.g.dt;
    const std::array<textio::value, 4> values{t, r.wave[k], r.eamp[k],
                                              motion::shaping(r.eamp[k], r.ampfac)};
    textio::detail::walk_pattern(row, values, out);
  }
  return std::move(out.text);
}

std::string spectra_table_text(const motion::design_result& r) {
  text_records out;
  const std::array<textio::value, 2> iterations{0, r.last.iteration};
  textio::detail::walk_pattern(textio::detail::parse_pattern(motion::table_header_pattern),
                               iterations, out);
  const textio::detail::parsed_pattern row =
      textio::detail::parse_pattern(motion::table_row_pattern);
  motion::row_thinning thinning;
  for (std::int32_t j = r.g.nom; j >= 2; --j) {
    const float period = motion::period_of(motion::omega_at(j, r.g.dom));
    if (!thinning.keep(period)) continue;
    const auto k = static_cast<std::size_t>(j - 1);
    const std::array<textio::value, 4> values{period, r.target[k], r.input_sa[k], r.final_sa[k]};
    textio::detail::walk_pattern(row, values, out);
  }
  return std::move(out.text);
}

}  // namespace wavetool
