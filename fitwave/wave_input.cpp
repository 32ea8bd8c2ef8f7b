#include "fitwave/wave_input.h"

#include <string_view>

#include "fitwave/grid.h"
#include "textio/textio.h"

namespace fitwave {

using textio::console_out;

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
  if (w.nt < 2) {
    // Without two times there is no time step; fitting values never read would be meaningless.
    textio::write_free_record(console_out, {" NT<2 !!!!! The wave needs at least two samples."});
    textio::stop_run(1);
  }
  w.dt = time[1] - time[0];
  textio::write_free_record(console_out, {"NT and DT=", w.nt, w.dt});
  return w;
}

transform_size transform_length(std::int32_t nt) {
  std::int32_t nf = 2;
  for (std::int32_t i = 2; i <= 15; ++i) {
    nf = 2 * nf;
    if (nf >= nt) return {nf, i};
  }
  return {};
}

transform_size choose_transform_length(std::int32_t nt) {
  const transform_size s = transform_length(nt);
  if (s.if1 == 0) {
    textio::write_free_record(console_out, {" NT>2**15 !!!!!"});
    textio::stop_run();
  }
  textio::write_free_record(console_out);
  textio::write_free_record(console_out, {" IF1,NF=", s.if1, s.nf});
  return s;
}

}  // namespace fitwave
