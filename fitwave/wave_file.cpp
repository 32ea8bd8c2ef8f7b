#include "fitwave/wave_file.h"

#include <cmath>
#include <string_view>

#include "fitwave/units.h"
#include "textio/textio.h"

namespace fitwave {

wave read_wave(std::span<const char> infile, std::span<float> time, std::span<float> ddy) {
  textio::open_text_file(wave_unit, std::string_view(infile.data(), infile.size()));
  textio::read_free_record(wave_unit);  // the header, whatever it holds

  // Pairs beyond the arrays land here: still read (a bad number stays fatal) and counted.
  float spare_time = 0.0f;
  float spare_ddy = 0.0f;
  std::int32_t i = 1;
  for (;;) {
    const auto k = static_cast<std::size_t>(i - 1);
    const bool fits = k < time.size() && k < ddy.size();
    float* t = fits ? &time[k] : &spare_time;
    float* a = fits ? &ddy[k] : &spare_ddy;
    if (!textio::read_free_record(wave_unit, {t, a}, true)) break;
    ++i;
  }
  textio::close_text_file(wave_unit);

  wave w;
  w.nt = i - 1;
  // Without two times there is no time step; fitting values never read would be meaningless.
  if (w.nt < 2) {
    w.status = wave::verdict::too_few_samples;
    return w;
  }
  w.dt = time[1] - time[0];
  // A step that is not positive puts infinities and NaNs into every frequency of the grid.
  if (!(w.dt > 0.0f) || !std::isfinite(w.dt)) w.status = wave::verdict::bad_time_step;
  return w;
}

}  // namespace fitwave
