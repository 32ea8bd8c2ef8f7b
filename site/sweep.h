// The frequency sweep of an analysis: its fixed parts, the column of one pass with its phase
// walks bin by bin, and the transforms back to histories. Internal to the site library.
#pragma once

#include <cmath>
#include <cstddef>
#include <numbers>
#include <span>
#include <vector>

#include "numeric/fft_plan.h"
#include "site/analysis.h"
#include "site/column.h"
#include "site/propagation.h"

namespace site::sweep {

// Accelerations come in gal; the column works in m and s.
constexpr double metres_per_cm = 0.01;

// The state of a sublayer's soil for one propagation.
struct soil_state {
  double g_ratio = 1.0;
  double damping = 0.0;
};

// A point of the wave column: a sublayer (or the half-space, index sublayers.size()) and the
// depth below its top.
struct column_point {
  std::size_t layer = 0;
  double z = 0.0;
};

// The fixed parts of an analysis: the sublayers, the padded transform of the input and where the
// wave is taken in and out.
struct analysis_setup {
  const site_profile& profile;
  std::vector<sublayer> parts;
  std::vector<double> mean_stress;  // per profile layer, for Darendeli's curves
  std::size_t samples = 0;
  double dt = 0.0;
  numeric::fft_plan plan;
  std::vector<cplx> input;  // bins 0..nf/2 of the padded input acceleration's DFT (m/s^2)
  column_point input_point, output_point;
  motion_kind input_kind = motion_kind::outcrop, output_kind = motion_kind::within;

  std::size_t bins() const { return plan.size() / 2 + 1; }
  double omega(std::size_t j) const {
    return 2.0 * std::numbers::pi * static_cast<double>(j) /
           (static_cast<double>(plan.size()) * dt);
  }
};

// The setup of a valid profile and a wave of at least one sample.
analysis_setup setup_of(const site_profile& profile, const site_motion& motion);

// A column for one pass with its phase walks: across each sublayer, to each sublayer's
// mid-height, and to the input and output points.
struct column_sweep {
  wave_column column;
  phase_walk across, mid, points;
};

// The column and walks of a pass with the given states of the sublayers.
column_sweep sweep_of(const analysis_setup& s, std::span<const soil_state> states);

// What each bin of a propagation hands on: the amplitudes at every layer's top, the phases to
// every sublayer's mid-height and to the input and output points, and the factor that turns the
// unit solution into the input's acceleration spectrum (0 where the input point receives
// nothing).
struct bin_waves {
  std::size_t j = 0;
  double omega = 0.0;
  std::span<const layer_waves> waves;
  std::span<const cplx> mid;
  cplx input_phase, output_phase;
  cplx scale;
};

// One propagation, bin by bin in order of frequency; the input point's motion for a surface
// moving by up + down = 2 goes to unit[j].
template <class per_bin>
void propagate(const analysis_setup& s, column_sweep& c, std::vector<layer_waves>& waves,
               std::span<cplx> unit, per_bin&& use) {
  waves.resize(c.column.size());
  const column_point in = s.input_point;
  for (std::size_t j = 0; j < s.bins(); ++j) {
    const double omega = s.omega(j);
    c.across.move_to(j, omega);
    c.mid.move_to(j, omega);
    c.points.move_to(j, omega);
    const int rescales = c.column.amplitudes(c.across.values(), waves);
    const cplx input_phase = c.points.values()[0];
    const cplx at_input = wave_column::displacement(waves[in.layer], input_phase, s.input_kind);
    // A damped column can absorb a high frequency entirely before it reaches the input point.
    const cplx scale = std::isfinite(std::abs(at_input)) ? s.input[j] / at_input : cplx(0.0);
    // Undone exactly; beyond a double it is a motion the surface does not feel (infinite).
    const int e = rescales * wave_column::rescale_exponent;
    unit[j] = {std::ldexp(at_input.real(), e), std::ldexp(at_input.imag(), e)};
    use(bin_waves{j, omega, waves, c.mid.values(), input_phase, c.points.values()[1], scale});
  }
}

// The buffers of a pass, kept from one pass to the next and, per thread, from one wave to the
// next: every value is written before it is read, and fresh pages for their 8 MB cost nearly half
// of a linear analysis.
struct pass_buffers {
  std::vector<layer_waves> waves;
  std::vector<cplx> unit;     // per bin
  std::vector<cplx> strains;  // per sublayer, per bin
  std::vector<cplx> tops;     // per layer and the bedrock, per bin: the results' top motions
  std::vector<cplx> work;     // a transform's length
  std::vector<double> hx, hy;
};

// Two real histories from their spectra at bins 0..nf/2 in one inverse transform, as the real and
// imaginary parts; the first `samples` values of each, bins 0 and nf/2 taken as their real parts.
void two_histories(const analysis_setup& s, std::span<const cplx> x, std::span<const cplx> y,
                   std::vector<cplx>& work, std::span<double> hx, std::span<double> hy);
// The largest |value| of a history, or its first value that is not finite.
double peak_of(std::span<const double> h);

}  // namespace site::sweep
