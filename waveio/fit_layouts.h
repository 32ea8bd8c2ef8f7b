// The files of a fit in fitwave's layouts: the fitted wave (a header, then per sample the time,
// the wave, the envelope and its shaping) and the spectra table (the iteration numbers, then per
// period, longest first, the target and a spectrum per column). fitwave writes them on its
// units, wavetool as text; both through the one definition here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "motion/grid.h"
#include "motion/spectra_table.h"
#include "textio/textio.h"

namespace waveio {

// fitwave's edit patterns of the spectra table's header (the iteration numbers) and of a row (the
// period or time, then values), which its fitted wave shares.
inline constexpr std::string_view table_header_pattern =
    "('period(sec),kokuji1461',20(',Iteration No.',I3))";
inline constexpr std::string_view table_row_pattern = "(F8.4,20(',',E12.4))";

// The digits after the point of the row pattern's last descriptor (E12.4): the significant
// digits its values keep, which the design fit rounds to.
static_assert([] {
  const std::string_view p = table_row_pattern;
  int digits = 0;
  for (std::size_t k = p.rfind('.') + 1; k < p.size() && p[k] >= '0' && p[k] <= '9'; ++k) {
    digits = digits * 10 + (p[k] - '0');
  }
  return digits;
}() == motion::written_digits);

// Where the records of a layout go, one at a time.
class record_sink {
 public:
  virtual ~record_sink() = default;
  virtual void free_record(std::span<const textio::item> items) = 0;
  virtual void pattern_record(std::string_view pattern, std::span<const textio::value> values) = 0;
};

// The records as text, each ended by CR LF as the text layer writes it.
class text_sink : public record_sink {
 public:
  void free_record(std::span<const textio::item> items) override;
  void pattern_record(std::string_view pattern, std::span<const textio::value> values) override;
  std::string text;

 private:
  std::string pattern_;  // the pattern last parsed
  std::unique_ptr<textio::pattern_text> parsed_;
};

// fitwave's row pattern, "(F8.4,20(',',E12.4))", where F8.4 holds every first value up to
// largest; otherwise the same with the first field widened until it does, so that no value is
// written as asterisks (a fitted wave longer than 999.9999 s).
std::string row_pattern_for(float largest);

// The fitted wave: ddy[0..nt-1] at times i*dt in float, with eamp and eamp^ampfac.
void fitted_wave_records(record_sink& out, std::string_view row_pattern, const motion::grid& g,
                         float ampfac, std::span<const float> ddy, std::span<const float> eamp);

// The spectra table: a header of the iteration numbers (one per column after the target), then
// rows nom..2, thinned to 0.01 s, of the period and each column's value at that grid point.
void spectra_table_records(record_sink& out, std::string_view row_pattern, const motion::grid& g,
                           std::span<const textio::value> iterations,
                           std::span<const std::span<const float>> columns);

}  // namespace waveio
