#include "site/analysis.h"

#include <algorithm>
#include <cmath>

#include "site/column.h"
#include "site/sweep.h"

namespace site {
namespace {

using sweep::analysis_setup;
using sweep::bin_waves;
using sweep::column_point;
using sweep::column_sweep;
using sweep::metres_per_cm;
using sweep::pass_buffers;
using sweep::peak_of;
using sweep::propagate;
using sweep::setup_of;
using sweep::soil_state;
using sweep::sweep_of;
using sweep::two_histories;

// The strain spectra at mid-height of every sublayer (buffers.strains) and the input point's
// unit motion (buffers.unit). Bin 0 of a strain is left at 0: it holds the record's residual
// velocity spread over the padded length, no wave the column carries.
void strain_spectra(const analysis_setup& s, column_sweep& c, pass_buffers& b) {
  const std::size_t count = s.parts.size();
  const std::size_t bins = s.bins();
  b.unit.resize(bins);
  b.strains.resize(count * bins);
  propagate(s, c, b.waves, b.unit, [&](const bin_waves& w) {
    if (w.j == 0) {
      for (std::size_t m = 0; m < count; ++m) b.strains[m * bins] = 0.0;
      return;
    }
    // Strain from acceleration: u = -a / omega^2.
    const cplx factor = -w.scale / (w.omega * w.omega);
    for (std::size_t m = 0; m < count; ++m) {
      b.strains[m * bins + w.j] = factor * c.column.strain(m, w.waves[m], w.omega, w.mid[m]);
    }
  });
}

// Peak strain (%) of every sublayer, two to a transform.
std::vector<double> peak_strains(const analysis_setup& s, pass_buffers& b) {
  const std::size_t count = s.parts.size();
  const std::size_t bins = s.bins();
  const std::span<const cplx> spectra = b.strains;
  std::vector<double> peaks(count);
  for (std::size_t m = 0; m < count; m += 2) {
    const bool pair = m + 1 < count;
    two_histories(s, spectra.subspan(m * bins, bins),
                  pair ? spectra.subspan((m + 1) * bins, bins) : std::span<const cplx>{}, b.work,
                  b.hx, pair ? std::span<double>(b.hy) : std::span<double>{});
    peaks[m] = 100.0 * peak_of(b.hx);
    if (pair) peaks[m + 1] = 100.0 * peak_of(b.hy);
  }
  return peaks;
}

double relative_change(double used, double next) {
  if (used == next) return 0.0;
  return std::abs(next - used) / std::abs(next);
}

transfer_function surface_transfer(const analysis_setup& s, std::span<const cplx> unit) {
  transfer_function t;
  const double df = 1.0 / (static_cast<double>(s.plan.size()) * s.dt);
  for (std::size_t j = 0; j < s.bins(); ++j) {
    // The surface's unit motion is up + down = 2.
    t.frequency.push_back(static_cast<double>(j) * df);
    t.amplitude.push_back(std::isfinite(std::abs(unit[j])) ? 2.0 / std::abs(unit[j]) : 0.0);
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
void report(const analysis_setup& s, column_sweep& c, pass_buffers& b, site_response& r) {
  const std::size_t bins = s.bins();
  const std::size_t count = s.parts.size();
  const std::size_t rock = count;
  std::vector<cplx> x(bins), tops(count * bins), relative(count * bins);
  const column_point out = s.output_point;
  propagate(s, c, b.waves, b.unit, [&](const bin_waves& w) {
    x[w.j] = w.scale * wave_column::displacement(w.waves[out.layer], w.output_phase, s.output_kind);
    // A layer's top, at z = 0, moves by up + down.
    const cplx base = w.waves[rock].up + w.waves[rock].down;
    for (std::size_t m = 0; m < count; ++m) {
      const cplx top = w.waves[m].up + w.waves[m].down;
      tops[m * bins + w.j] = w.scale * top;
      relative[m * bins + w.j] = w.j == 0 ? cplx(0.0) : w.scale * (top - base);
    }
  });
  r.acc.resize(s.samples);
  two_histories(s, x, {}, b.work, r.acc, {});
  for (double& a : r.acc) a /= metres_per_cm;
  std::vector<cplx>& stress = x;
  std::vector<cplx> vel(bins), dis(bins);
  for (std::size_t m = 0; m < count; ++m) {
    const cplx modulus = c.column.layer(m).modulus;
    for (std::size_t j = 0; j < bins; ++j) {
      stress[j] = modulus * b.strains[m * bins + j];
      if (j == 0) continue;
      const double omega = s.omega(j);
      vel[j] = relative[m * bins + j] / cplx(0.0, omega);
      dis[j] = -relative[m * bins + j] / (omega * omega);
    }
    sublayer_result& result = r.sublayers[m];
    two_histories(s, std::span<const cplx>(tops).subspan(m * bins, bins), stress, b.work, b.hx,
                  b.hy);
    result.pga = peak_of(b.hx) / metres_per_cm;
    result.stress_max_kpa = peak_of(b.hy);
    const double mid = (s.parts[m].top + s.parts[m].bottom) / 2.0;
    result.stress_ratio = result.stress_max_kpa / vertical_effective_stress(s.profile, mid);
    two_histories(s, vel, dis, b.work, b.hx, b.hy);
    result.pgv = peak_of(b.hx) / metres_per_cm;
    result.pgd = peak_of(b.hy) / metres_per_cm;
  }
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
  pass_buffers buffers;
  buffers.work.resize(s.plan.size());
  buffers.hx.resize(s.samples);
  buffers.hy.resize(s.samples);

  std::vector<soil_state> states;
  for (const sublayer& part : s.parts) {
    const soil_layer& soil = profile.layers[part.layer];
    states.push_back({1.0, curve_at(soil.curve, 0.0, s.mean_stress[part.layer]).damping});
  }
  const bool iterate = profile.method == site_method::equivalent_linear;
  for (int pass = 1;; ++pass) {
    column_sweep sweep = sweep_of(s, states);
    strain_spectra(s, sweep, buffers);
    if (pass == 1) r.initial = surface_transfer(s, buffers.unit);
    const std::vector<double> peaks = peak_strains(s, buffers);
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
      r.compatible = surface_transfer(s, buffers.unit);
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
      report(s, sweep, buffers, r);
      return r;
    }
    states = next.states;
  }
}

}  // namespace site
