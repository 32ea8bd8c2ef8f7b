// The corner-time question that both programs ask before they shape a wave with the envelope.
#pragma once

#include <cstdint>

#include "textio/textio.h"

namespace dialogue {

// Shows the envelope corner times tb, tc, td, te (s) and asks whether to change them; only the
// answer 1 reads four new values (a null value keeps its corner). Real is float in fitwave and
// double in seedwave, and the corners print in that precision. A bad answer or the end of the
// console input ends the run with the fatal report.
template <typename Real>
void ask_corner_times(Real& tb, Real& tc, Real& td, Real& te) {
  using textio::console_in;
  using textio::console_out;
  using textio::read_free_record;
  using textio::write_free_record;
  write_free_record(console_out);
  write_free_record(console_out, {"Corner Times for Waveform:"});
  write_free_record(console_out, {"  tb,tc,td,te(s)=", tb, tc, td, te});
  write_free_record(console_out, {"Change Those Data? (Enter No=0 or Yes=1)"});
  std::int32_t ncorner = 0;  // a null answer keeps the corners
  read_free_record(console_in, {&ncorner});
  if (ncorner == 1) {
    write_free_record(console_out, {"Enter tb,tc,td,te(s):"});
    read_free_record(console_in, {&tb, &tc, &td, &te});
  }
}

}  // namespace dialogue
