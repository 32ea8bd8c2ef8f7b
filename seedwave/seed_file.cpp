#include "seedwave/seed_file.h"

#include "seedwave/grid.h"
#include "textio/textio.h"
#include "waveio/seed_file.h"

namespace seedwave {

void write_seed_file(std::string_view name, std::span<const double> acc) {
  const std::string row = waveio::seed_row_pattern(dt);
  textio::open_text_file(seed_unit, name);
  textio::write_free_record(seed_unit, {waveio::seed_file_header});
  for (std::size_t i = 0; i < acc.size(); ++i)
    textio::write_pattern_record(seed_unit, row, {sample_time(i), acc[i]});
  textio::close_text_file(seed_unit);
}

}  // namespace seedwave
