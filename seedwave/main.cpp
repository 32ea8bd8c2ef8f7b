// seedwave: draws a random-phase seed acceleration wave whose Fourier amplitudes follow the
// design target spectrum, shapes it with the four-corner envelope and writes it as a
// comma-separated file of time and acceleration.
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <string_view>
#include <vector>

#include "dialogue/corner_times.h"
#include "numeric/design.h"
#include "seedwave/random_phase_spectrum.h"
#include "textio/textio.h"

using seedwave::dom;
using seedwave::dt;
using seedwave::dur;
using seedwave::eom;
using seedwave::nom;
using seedwave::nt;
using seedwave::pi;
using namespace textio;

int main() {
  start_run();

  std::vector<std::complex<double>> fx(seedwave::capacity);
  std::vector<double> acc(seedwave::capacity);
  // A null answer keeps these: seed 0, a blank name (refused by the open).
  std::int32_t idum = 0;
  std::array<char, 50> infile;
  infile.fill(' ');

  write_free_record(console_out);
  write_free_record(console_out, {"Enter Random Number (1-999)"});
  read_free_record(console_in, {&idum});

  write_free_record(console_out);
  write_free_record(console_out, {" dt,nt,duration(=dt*nt)=", dt, nt, dur});
  write_free_record(console_out, {" DUR,DOM,NOM,EOM=", dur, dom, nom, eom});
  write_free_record(console_out, {" Highest Frequency (hz)=", eom / (2.0 * pi)});

  // Spectrum with random phases, inverse transform, and the real part over the duration.
  seedwave::seed_wave(idum, fx, acc);

  double tb = 4.0;
  double tc = 35.0;
  double td = 60.0;
  double te = dur;
  const double afac = 0.1;
  dialogue::ask_corner_times(tb, tc, td, te);

  write_free_record(console_out);
  write_free_record(console_out, {"Enter a Seed Acceleration for OUTPUT"});
  read_free_record(console_in, {std::span<char>(infile)});

  const int unit = 9;
  open_text_file(unit, std::string_view(infile.data(), infile.size()));
  write_free_record(unit, {"time(sec),seed-Acc(gal)"});
  for (int i = 1; i <= nt; ++i) {
    const auto k = static_cast<std::size_t>(i - 1);
    const double time = (i - 1) * dt;
    const double aa = numeric::denvamp(time, tb, tc, td, te, afac);
    acc[k] = acc[k] * aa;
    write_pattern_record(unit, "(F8.2,',',E12.4)", {time, acc[k]});
  }
  close_text_file(unit);
  stop_run();
}
