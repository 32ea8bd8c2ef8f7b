// fitwave: fits an acceleration wave to the 5 %-damped design spectrum of the engineering
// bedrock and writes the spectra of every iteration and the fitted wave.
#include <vector>

#include "fitwave/dialogue.h"
#include "fitwave/results.h"
#include "fitwave/units.h"
#include "fitwave/wave_file.h"
#include "motion/fit.h"
#include "motion/prepared_fit.h"
#include "motion/spectra_table.h"
#include "textio/textio.h"

namespace {

// The build the tests hold fitwave to (tests/fitwave) takes every spectrum from the scalar
// oscillator loop; the program takes them from the batched engine.
#ifdef FITWAVE_SCALAR_LOOP_SPECTRUM
constexpr motion::spectrum_method spectrum_method = motion::spectrum_method::scalar_loop;
#else
constexpr motion::spectrum_method spectrum_method = motion::spectrum_method::batched;
#endif

}  // namespace

int main() {
  using namespace fitwave;
  using motion::cplx;
  textio::start_run();

  // Every array at its fixed capacity, once; nothing is allocated after this point.
  std::vector<float> time(capacity), ddy(capacity), eamp(capacity);
  std::vector<cplx> fds(capacity), fds1(capacity);
  motion::spectra_table resa(capacity);
  motion::response_spectrum spectrum(capacity, 0, motion::response_spectrum::h, spectrum_method);

  settings s = ask_settings();
  const wave w = read_wave(s.infile, time, ddy);
  report_wave(w);
  const motion::transform_size size = motion::transform_length(w.nt);
  report_transform_length(size);
  // The input's spectrum goes into the first iteration's column, which that iteration then
  // overwrites; a run of no iterations never writes that column.
  const motion::grid g = motion::prepare_fit(
      w.nt, w.dt, s.corners, {ddy, fds, resa.column(0), eamp, resa.column(1)}, spectrum);
  report_grid(g);
  const std::span<const float> target = resa.column(0);

  // The spectrum of the current wave is the previous iteration's, equal value for value.
  report_fit_start();
  const motion::fit_state state{fds, fds1, ddy};
  for (std::int32_t iit = 1; iit <= s.nit; ++iit) {
    report_iteration(iit);
    const auto k = static_cast<std::size_t>(iit);
    const std::span<float> sa = resa.column(k);
    const std::span<const float> current = iit == 1 ? sa : resa.column(k - 1);
    report_criteria(motion::fit_iteration(g, s.ampfac, eamp, target, current, state, sa, spectrum));
  }

  ask_table_name(s.infile);
  write_spectra_table(s.infile, g, s.nit, resa);
  ask_fitted_wave_name(s.infile);
  write_fitted_wave(s.infile, g, s.ampfac, ddy, eamp);
  textio::stop_run();
}
