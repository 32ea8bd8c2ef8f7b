#include "seedwave/seed_file.h"

#include "seedwave/grid.h"
#include "textio/textio.h"

namespace seedwave {

void write_seed_file(std::string_view name, std::span<const double> acc) {
  textio::open_text_file(seed_unit, name);
  textio::write_free_record(seed_unit, {"time(sec),seed-Acc(gal)"});
  for (std::size_t i = 0; i < acc.size(); ++i)
    textio::write_pattern_record(seed_unit, "(F8.2,',',E12.4)", {sample_time(i), acc[i]});
  textio::close_text_file(seed_unit);
}

}  // namespace seedwave
