// What a site costs: the Corralitos record made up to 8192 samples (a transform of 16384) through
// a Hardin-Drnevich column of 30 sublayers to a tolerance of 1 %, whole and per pass; the linear
// method (one propagation and the report) beside it; and the propagation's parts.
//
//   build/bench/site_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "numeric/fft_plan.h"
#include "site/analysis.h"
#include "site/column.h"

namespace {

std::vector<double> wave_8192() {
  std::ifstream in(GM_SHARED_RECORDS "/RSN753_LOMAP_CLS000.AT2");
  std::string line;
  for (int i = 0; i < 4; ++i) std::getline(in, line);
  std::vector<double> gal;
  double g = 0.0;
  while (in >> g) gal.push_back(g * 980.665);
  gal.resize(8192, 0.0);
  return gal;
}

// 9 m at 125 m/s, 11.5 m at 150 m/s and 19 m at 250 m/s: 10 sublayers each at 25 Hz.
site::site_profile column_of_30() {
  site::site_profile p;
  p.tolerance = 0.01;
  p.layers = {{"fill", 9.0, 125.0, 16.0, site::hardin_drnevich{0.18, 0.17, 0.0}},
              {"clay", 11.5, 150.0, 17.0, site::hardin_drnevich{0.1, 0.2, 0.01}},
              {"sand", 19.0, 250.0, 18.0, site::hardin_drnevich{0.08, 0.18, 0.005}}};
  p.bedrock = {500.0, 19.0, 0.01};
  return p;
}

site::site_motion motion_of(const std::vector<double>& acc) {
  site::site_motion m;
  m.acc = acc;
  m.dt = 0.005;
  return m;
}

void site_equivalent_linear(benchmark::State& state) {
  const std::vector<double> acc = wave_8192();
  const site::site_profile p = column_of_30();
  if (site::divide_column(p).size() != 30) state.SkipWithError("not 30 sublayers");
  std::size_t passes = 0;
  double seconds = 0.0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const site::site_response r = site::analyse_site(p, motion_of(acc));
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    passes += r.passes.size();
    benchmark::DoNotOptimize(r.acc.data());
    if (!r.converged) state.SkipWithError("not converged");
  }
  state.counters["passes"] = static_cast<double>(passes) / static_cast<double>(state.iterations());
  state.counters["ms_per_pass"] = 1e3 * seconds / static_cast<double>(passes);
}
BENCHMARK(site_equivalent_linear)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void site_linear(benchmark::State& state) {
  const std::vector<double> acc = wave_8192();
  site::site_profile p = column_of_30();
  p.method = site::site_method::linear;
  for (auto _ : state) {
    const site::site_response r = site::analyse_site(p, motion_of(acc));
    benchmark::DoNotOptimize(r.acc.data());
  }
}
BENCHMARK(site_linear)->Unit(benchmark::kMillisecond);

void fft_plan_inverse_16384(benchmark::State& state) {
  const numeric::fft_plan plan(16384);
  std::vector<std::complex<double>> a(16384, {1.0, 0.5});
  for (auto _ : state) {
    plan.inverse(a);
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(fft_plan_inverse_16384)->Unit(benchmark::kMicrosecond);

// The recursion and one mid-height strain at every bin of a pass, without the transforms.
void site_amplitudes_one_pass(benchmark::State& state) {
  const site::site_profile p = column_of_30();
  std::vector<site::wave_layer> layers;
  for (const site::sublayer& s : site::divide_column(p)) {
    const site::soil_layer& soil = p.layers[s.layer];
    const double rho = soil.unit_weight / 9.80665;
    layers.push_back(
        {s.bottom - s.top, rho, rho * soil.vs * soil.vs * site::modulus_factor(p.form, 0.05)});
  }
  layers.push_back({0.0, 19.0 / 9.80665, 19.0 / 9.80665 * 500.0 * 500.0 * site::cplx(1.0, 0.02)});
  const site::wave_column column(layers);
  std::vector<site::layer_waves> waves(layers.size());
  for (auto _ : state) {
    site::cplx sum = 0.0;
    for (std::size_t j = 1; j <= 8192; ++j) {
      const double omega = 2.0 * 3.141592653589793 * static_cast<double>(j) / (16384 * 0.005);
      column.amplitudes(omega, waves);
      for (std::size_t m = 0; m + 1 < layers.size(); ++m) {
        sum += column.strain(m, waves[m], omega, layers[m].thickness / 2.0);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(site_amplitudes_one_pass)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
