#include "fitwave/dialogue.h"

#include <span>

#include "dialogue/corner_times.h"
#include "textio/textio.h"

namespace fitwave {

using textio::console_in;
using textio::console_out;
using textio::write_free_record;

float default_ampfac(std::int32_t nit) {
  return 1.0f / static_cast<float>(nit);
}

settings ask_settings() {
  settings s;
  textio::write_pattern_record(console_out, "(1X,'Enter Acceleration Wave Data')");
  textio::read_text_field(console_in, std::span<char>(s.infile));

  write_free_record(console_out);
  do {
    write_free_record(console_out, {"Enter Number of Iterations (Nit: up to 10)"});
    s.nit = 0;  // a null answer leaves the target alone: count it as 0
    textio::read_free_record(console_in, {&s.nit});
  } while (s.nit > 10);

  dialogue::ask_corner_times(s.tb, s.tc, s.td, s.te);

  s.ampfac = default_ampfac(s.nit);
  write_free_record(console_out, {"Amplitue Factor for the Head and Tail of Waveform:"});
  write_free_record(console_out, {"  Initial Value (ampfac=1/Nit) =", s.ampfac});
  write_free_record(console_out, {"Change Those the Value? (Enter No=0 or Yes=1)"});
  std::int32_t nampfac = 0;
  textio::read_free_record(console_in, {&nampfac});
  if (nampfac == 1) {
    write_free_record(console_out, {"Enter ampfac (If ampfac=1, No Amplification):"});
    textio::read_free_record(console_in, {&s.ampfac});
  }
  return s;
}

}  // namespace fitwave
