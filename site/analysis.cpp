#include "site/analysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "motion/measures.h"
#include "numeric/fft_plan.h"
#include "site/column.h"

namespace site {
namespace {

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

column_point locate(const std::vector<sublayer>& parts, double depth) {
  for (std::size_t m = 0; m < parts.size(); ++m) {
    if (depth < parts[m].bottom) return {m, depth - parts[m].top};
  }
  return {parts.size(), depth - parts.back().bottom};
}

double density_of(double unit_weight) {
  return unit_weight / (motion::standard_gravity / 100.0);
}

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

wave_column column_of(const analysis_setup& s, std::span<const soil_state> states) {
  std::vector<wave_layer> layers;
  for (std::size_t m = 0; m < s.parts.size(); ++m) {
    const soil_layer& soil = s.profile.layers[s.parts[m].layer];
    const double density = density_of(soil.unit_weight);
    const double g = states[m].g_ratio * density * soil.vs * soil.vs;
    layers.push_back({s.parts[m].bottom - s.parts[m].top, density,
                      g * modulus_factor(s.profile.form, states[m].damping)});
  }
  const half_space& rock = s.profile.bedrock;
  const double density = density_of(rock.unit_weight);
  layers.push_back(
      {0.0, density, density * rock.vs * rock.vs * modulus_factor(s.profile.form, rock.damping)});
  return wave_column(layers);
}

// One propagation: the amplitudes at every frequency and the factor that turns the unit
// solution into the input's acceleration spectrum (0 where the input point receives nothing).
struct propagation {
  wave_column column;
  std::vector<layer_waves> waves;  // bins() x column.size()
  std::vector<cplx> scale;         // per bin

  const layer_waves& at(std::size_t j, std::size_t m) const { return waves[j * column.size() + m]; }
};

propagation propagate(const analysis_setup& s, std::span<const soil_state> states) {
  propagation p{column_of(s, states), {}, {}};
  const std::size_t layers = p.column.size();
  p.waves.resize(s.bins() * layers);
  p.scale.resize(s.bins());
  for (std::size_t j = 0; j < s.bins(); ++j) {
    const double omega = s.omega(j);
    std::span<layer_waves> waves(p.waves.data() + j * layers, layers);
    p.column.amplitudes(omega, waves);
    const column_point in = s.input_point;
    const cplx unit = p.column.displacement(in.layer, waves[in.layer], omega, in.z, s.input_kind);
    // A damped column can absorb a high frequency entirely before it reaches the input point.
    p.scale[j] = std::isfinite(std::abs(unit)) ? s.input[j] / unit : cplx(0.0);
  }
  return p;
}

// Two real histories from their spectra at bins 0..nf/2 in one inverse transform, as the real and
// imaginary parts; the first `samples` values of each, bins 0 and nf/2 taken as their real parts.
void two_histories(const analysis_setup& s, std::span<const cplx> x, std::span<const cplx> y,
                   std::vector<cplx>& work, std::span<double> hx, std::span<double> hy) {
  const std::size_t n = s.plan.size();
  const std::size_t half = n / 2;
  const cplx i(0.0, 1.0);
  for (std::size_t j = 0; j <= half; ++j) {
    cplx a = x[j], b = y.empty() ? cplx(0.0) : y[j];
    if (j == 0 || j == half) {  // a real history has real values there
      a = a.real();
      b = b.real();
    }
    work[j] = a + i * b;
    if (j > 0 && j < half) work[n - j] = std::conj(a) + i * std::conj(b);
  }
  s.plan.inverse(work);
  const double scale = 1.0 / static_cast<double>(n);
  for (std::size_t t = 0; t < s.samples; ++t) {
    hx[t] = work[t].real() * scale;
    if (!hy.empty()) hy[t] = work[t].imag() * scale;
  }
}

double peak_of(std::span<const double> h) {
  double peak = 0.0;
  for (double v : h) {
    if (!std::isfinite(v)) return v;
    peak = std::max(peak, std::abs(v));
  }
  return peak;
}

// Strain spectra at mid-height of every sublayer, per bin. Bin 0 is left at 0: it holds the
// record's residual velocity spread over the padded length, no wave the column carries.
std::vector<cplx> strain_spectra(const analysis_setup& s, const propagation& p) {
  const std::size_t count = s.parts.size();
  std::vector<cplx> spectra(count * s.bins());
  for (std::size_t j = 1; j < s.bins(); ++j) {
    const double omega = s.omega(j);
    // Strain from acceleration: u = -a / omega^2.
    const cplx factor = -p.scale[j] / (omega * omega);
    for (std::size_t m = 0; m < count; ++m) {
      const double mid = (s.parts[m].bottom - s.parts[m].top) / 2.0;
      spectra[m * s.bins() + j] = factor * p.column.strain(m, p.at(j, m), omega, mid);
    }
  }
  return spectra;
}

// Peak strain (%) of every sublayer, two to a transform.
std::vector<double> peak_strains(const analysis_setup& s, std::span<const cplx> spectra,
                                 std::vector<cplx>& work) {
  const std::size_t count = s.parts.size();
  const std::size_t bins = s.bins();
  std::vector<double> peaks(count), hx(s.samples), hy(s.samples);
  for (std::size_t m = 0; m < count; m += 2) {
    const bool pair = m + 1 < count;
    two_histories(s, spectra.subspan(m * bins, bins),
                  pair ? spectra.subspan((m + 1) * bins, bins) : std::span<const cplx>{}, work, hx,
                  pair ? std::span<double>(hy) : std::span<double>{});
    peaks[m] = 100.0 * peak_of(hx);
    if (pair) peaks[m + 1] = 100.0 * peak_of(hy);
  }
  return peaks;
}

double relative_change(double used, double next) {
  if (used == next) return 0.0;
  return std::abs(next - used) / std::abs(next);
}

transfer_function surface_transfer(const analysis_setup& s, const propagation& p) {
  transfer_function t;
  const double df = 1.0 / (static_cast<double>(s.plan.size()) * s.dt);
  for (std::size_t j = 0; j < s.bins(); ++j) {
    const column_point in = s.input_point;
    const cplx unit =
        p.column.displacement(in.layer, p.at(j, in.layer), s.omega(j), in.z, s.input_kind);
    // The surface's unit motion is up + down = 2.
    t.frequency.push_back(static_cast<double>(j) * df);
    t.amplitude.push_back(std::isfinite(std::abs(unit)) ? 2.0 / std::abs(unit) : 0.0);
  }
  return t;
}

std::optional<site_failure> strain_fault(std::span<const double> peaks) {
  for (std::size_t m = 0; m < peaks.size(); ++m) {
    if (!std::isfinite(peaks[m])) return site_failure{m, "strain not finite", peaks[m]};
    if (peaks[m] > strain_limit_pct) {
      return site_failure{m, "peak strain beyond what equivalent-linear properties can stand for",
                          peaks[m]};
    }
  }
  return std::nullopt;
}

// The properties the curves give at strain_ratio times each peak strain.
struct next_states {
  std::vector<soil_state> states;
  std::vector<bool> beyond_table;
  std::optional<site_failure> failure;
};

next_states states_at(const analysis_setup& s, std::span<const double> peaks) {
  next_states next;
  for (std::size_t m = 0; m < s.parts.size(); ++m) {
    const std::size_t layer = s.parts[m].layer;
    const double strain = s.profile.strain_ratio * peaks[m];
    const curve_value v = curve_at(s.profile.layers[layer].curve, strain, s.mean_stress[layer]);
    if (!std::isfinite(v.g_ratio) || !(v.g_ratio > 0.0) || !std::isfinite(v.damping)) {
      next.failure = site_failure{m, "curve not finite at this strain", strain};
      break;
    }
    if (!std::isfinite(std::abs(modulus_factor(s.profile.form, v.damping)))) {
      next.failure = site_failure{
          m, "damping where the complex modulus form is not defined (dormieux: above 0.5)",
          v.damping};
      break;
    }
    next.states.push_back({v.g_ratio, v.damping});
    next.beyond_table.push_back(v.beyond_table);
  }
  return next;
}

// Everything reported of a propagation besides the strains: the output wave, and at each sublayer
// the acceleration at its top, the stress at its mid-height and the velocity and displacement of
// its top relative to the bedrock's. Those are divided by i omega and -omega^2 in the frequency
// domain, exact for the sampled wave where a time-step rule loses (omega dt)^2 / 12 (2 % at 15 Hz
// and 0.005 s); a relative motion has nothing at omega = 0.
void report(const analysis_setup& s, const propagation& p, std::span<const cplx> strains,
            std::vector<cplx>& work, site_response& r) {
  const std::size_t bins = s.bins();
  const std::size_t n = s.samples;
  std::vector<cplx> x(bins), y(bins), vel(bins), dis(bins);
  std::vector<double> hx(n), hy(n);
  const column_point out = s.output_point;
  const std::size_t rock = s.parts.size();
  for (std::size_t j = 0; j < bins; ++j) {
    x[j] = p.scale[j] *
           p.column.displacement(out.layer, p.at(j, out.layer), s.omega(j), out.z, s.output_kind);
  }
  r.acc.resize(n);
  two_histories(s, x, {}, work, r.acc, {});
  for (double& a : r.acc) a /= metres_per_cm;
  for (std::size_t m = 0; m < s.parts.size(); ++m) {
    for (std::size_t j = 0; j < bins; ++j) {
      const double omega = s.omega(j);
      const cplx top = p.column.displacement(m, p.at(j, m), omega, 0.0, motion_kind::within);
      const cplx base = p.column.displacement(rock, p.at(j, rock), omega, 0.0, motion_kind::within);
      x[j] = p.scale[j] * top;
      y[j] = p.column.layer(m).modulus * strains[m * bins + j];
      const cplx relative = j == 0 ? cplx(0.0) : p.scale[j] * (top - base);
      vel[j] = j == 0 ? cplx(0.0) : relative / cplx(0.0, omega);
      dis[j] = j == 0 ? cplx(0.0) : -relative / (omega * omega);
    }
    sublayer_result& result = r.sublayers[m];
    two_histories(s, x, y, work, hx, hy);
    result.pga = peak_of(hx) / metres_per_cm;
    result.stress_max_kpa = peak_of(hy);
    const double mid = (s.parts[m].top + s.parts[m].bottom) / 2.0;
    result.stress_ratio = result.stress_max_kpa / vertical_effective_stress(s.profile, mid);
    two_histories(s, vel, dis, work, hx, hy);
    result.pgv = peak_of(hx) / metres_per_cm;
    result.pgd = peak_of(hy) / metres_per_cm;
  }
}

analysis_setup setup_of(const site_profile& profile, const site_motion& motion) {
  analysis_setup s{profile,
                   divide_column(profile),
                   {},
                   motion.acc.size(),
                   motion.dt,
                   numeric::fft_plan(padded_length(motion.acc.size())),
                   {},
                   {},
                   {},
                   motion.input_kind,
                   motion.output_kind};
  for (std::size_t i = 0; i < profile.layers.size(); ++i) {
    s.mean_stress.push_back(layer_mean_stress(profile, i));
  }
  std::vector<cplx> padded(s.plan.size());
  for (std::size_t t = 0; t < s.samples; ++t) padded[t] = motion.acc[t] * metres_per_cm;
  s.plan.forward(padded);
  s.input.assign(padded.begin(), padded.begin() + static_cast<std::ptrdiff_t>(s.bins()));
  s.input_point = locate(s.parts, motion.input_depth.value_or(column_depth(profile)));
  s.output_point = locate(s.parts, motion.output_depth);
  return s;
}

}  // namespace

std::size_t padded_length(std::size_t samples) {
  std::size_t n = 1;
  while (n < 2 * samples) n *= 2;
  return n;
}

site_response analyse_site(const site_profile& profile, const site_motion& motion) {
  const analysis_setup s = setup_of(profile, motion);
  site_response r;
  std::vector<cplx> work(s.plan.size());

  std::vector<soil_state> states;
  for (const sublayer& part : s.parts) {
    const soil_layer& soil = profile.layers[part.layer];
    states.push_back({1.0, curve_at(soil.curve, 0.0, s.mean_stress[part.layer]).damping});
  }
  const bool iterate = profile.method == site_method::equivalent_linear;
  for (int pass = 1;; ++pass) {
    const propagation p = propagate(s, states);
    if (pass == 1) r.initial = surface_transfer(s, p);
    const std::vector<cplx> strains = strain_spectra(s, p);
    const std::vector<double> peaks = peak_strains(s, strains, work);
    r.failure = strain_fault(peaks);
    // The linear method keeps its small-strain properties: no curve is read.
    const next_states next =
        iterate ? states_at(s, peaks) : next_states{states, std::vector<bool>(states.size()), {}};
    if (!r.failure) r.failure = next.failure;
    if (r.failure) {
      r.failure->layer = s.parts[r.failure->sublayer].layer;
      return r;
    }

    pass_error worst;
    if (iterate) {
      for (std::size_t m = 0; m < states.size(); ++m) {
        const double change = std::max(relative_change(states[m].g_ratio, next.states[m].g_ratio),
                                       relative_change(states[m].damping, next.states[m].damping));
        if (change > worst.error) worst = {change, m};
      }
    }
    r.passes.push_back(worst);
    r.converged = worst.error < profile.tolerance;
    if (r.converged || pass >= profile.max_iterations) {
      r.compatible = surface_transfer(s, p);
      r.sublayers.resize(s.parts.size());
      for (std::size_t m = 0; m < s.parts.size(); ++m) {
        sublayer_result& out = r.sublayers[m];
        const soil_layer& soil = profile.layers[s.parts[m].layer];
        out.layer = s.parts[m].layer;
        out.top = s.parts[m].top;
        out.bottom = s.parts[m].bottom;
        out.vs_initial = soil.vs;
        out.vs = soil.vs * std::sqrt(states[m].g_ratio);
        out.g_ratio = states[m].g_ratio;
        out.damping = states[m].damping;
        out.strain_max_pct = peaks[m];
        out.strain_eff_pct = profile.strain_ratio * peaks[m];
        out.beyond_table = next.beyond_table[m];
      }
      report(s, p, strains, work, r);
      return r;
    }
    states = next.states;
  }
}

}  // namespace site
