// fitwave: fits an acceleration wave to the 5 %-damped design spectrum of the engineering
// bedrock and writes the spectra of every iteration and the fitted wave.
#include <complex>
#include <vector>

#include "fitwave/dialogue.h"
#include "fitwave/fitting.h"
#include "fitwave/grid.h"
#include "fitwave/preparation.h"
#include "fitwave/results.h"
#include "fitwave/spectrum.h"
#include "fitwave/wave_input.h"
#include "textio/textio.h"

int main() {
  using namespace fitwave;
  textio::start_run();

  // Every array at its fixed capacity, once; nothing is allocated after this point.
  std::vector<float> time(capacity), ddy(capacity), eamp(capacity), resa(capacity * ncol);
  std::vector<cplx> fds(capacity), fds1(capacity);
  response_spectrum spectrum(capacity);

  settings s = ask_settings();
  const wave w = read_wave(s.infile, time, ddy);
  const transform_size size = choose_transform_length(w.nt);
  const grid g = make_grid(w.nt, w.dt, size.nf);

  prepare(g, ddy, {s.tb, s.tc, s.td, s.te}, fds, resa_column(std::span<float>(resa), 0), eamp);
  fit(g, s.nit, s.ampfac, eamp, ddy, fds, fds1, resa, spectrum);
  write_results(s.infile, g, s.nit, s.ampfac, resa, ddy, eamp);

  textio::stop_run();
}
