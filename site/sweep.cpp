#include "site/sweep.h"

#include <algorithm>

#include "motion/measures.h"

namespace site::sweep {
namespace {

column_point locate(const std::vector<sublayer>& parts, double depth) {
  for (std::size_t m = 0; m < parts.size(); ++m) {
    if (depth < parts[m].bottom) return {m, depth - parts[m].top};
  }
  return {parts.size(), depth - parts.back().bottom};
}

double density_of(double unit_weight) {
  return unit_weight / (motion::standard_gravity / 100.0);
}

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

}  // namespace

column_sweep sweep_of(const analysis_setup& s, std::span<const soil_state> states) {
  const double d_omega = s.omega(1);
  column_sweep c{column_of(s, states), phase_walk(d_omega), phase_walk(d_omega),
                 phase_walk(d_omega)};
  for (std::size_t m = 0; m < s.parts.size(); ++m) {
    const double thickness = s.parts[m].bottom - s.parts[m].top;
    c.across.add(thickness, c.column.slowness(m));
    c.mid.add(thickness / 2.0, c.column.slowness(m));
  }
  for (const column_point& p : {s.input_point, s.output_point}) {
    c.points.add(p.z, c.column.slowness(p.layer));
  }
  return c;
}

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

}  // namespace site::sweep
