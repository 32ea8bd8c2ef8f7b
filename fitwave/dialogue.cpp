#include "fitwave/dialogue.h"

#include <algorithm>
#include <span>

#include "dialogue/corner_times.h"
#include "motion/spectra_table.h"
#include "numeric/single.h"
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
  } while (s.nit > motion::max_table_iterations);

  dialogue::ask_corner_times(s.corners.tb, s.corners.tc, s.corners.td, s.corners.te);

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

void report_wave(const wave& w) {
  switch (w.status) {
    case wave::verdict::too_few_samples:
      write_free_record(console_out, {" NT<2 !!!!! The wave needs at least two samples."});
      textio::stop_run(1);
    case wave::verdict::bad_time_step:
      write_free_record(console_out, {" DT<=0 !!!!! The time step must be positive."});
      textio::stop_run(1);
    case wave::verdict::ok:
      break;
  }
  write_free_record(console_out, {"NT and DT=", w.nt, w.dt});
}

void report_transform_length(const motion::transform_size& size) {
  if (size.if1 == 0) {
    write_free_record(console_out, {" NT>2**15 !!!!!"});
    textio::stop_run();
  }
  write_free_record(console_out);
  write_free_record(console_out, {" IF1,NF=", size.if1, size.nf});
}

void report_grid(const motion::grid& g) {
  write_free_record(console_out);
  write_free_record(console_out, {" DUR,DOM,NOM,EOM=", g.dur, g.dom, g.nom, g.eom});
  write_free_record(console_out, {" Highest Frequency (hz)=", g.eom / numeric::two_pi});
}

void report_fit_start() {
  write_free_record(console_out);
}

void report_iteration(std::int32_t iit) {
  write_free_record(console_out, {" Iteration Number =", iit});
}

void report_criteria(const motion::criteria& c) {
  write_free_record(console_out, {"   Error Criteria 1 (>=0.85):", c.cr1});
  write_free_record(console_out, {"   Error Criteria 2 (>=1.0) :", c.cr2});
  write_free_record(console_out, {"   Error Criteria 3 (<=0.05):", c.cr3});
  write_free_record(console_out, {"   Error Criteria 4 (>=0.95):", c.cr4});
}

void ask_table_name(file_name& name) {
  write_free_record(console_out);
  write_free_record(console_out, {"Enter Response Spectra Data"});
  std::fill(name.begin(), name.end(), ' ');
  textio::read_free_record(console_in, {std::span<char>(name)});
}

void ask_fitted_wave_name(file_name& name) {
  textio::write_pattern_record(console_out, "(/,1X,'Enter output acceleration file name')");
  textio::read_text_field(console_in, std::span<char>(name));
}

}  // namespace fitwave
