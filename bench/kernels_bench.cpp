// Baseline timings of the scalar kernels at the largest record fitwave accepts (32768 samples).
#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

#include "numeric/fft.h"
#include "numeric/response.h"

namespace {

constexpr int nmax = 32768;
constexpr float dt = 0.01f;

// A broad-band record: a few sines over the whole band, like a fitted ground motion.
std::vector<float> ground_motion(int n) {
  std::vector<float> ddy(static_cast<std::size_t>(n));
  for (std::size_t m = 0; m < ddy.size(); ++m) {
    const double t = static_cast<double>(m) * 0.01;
    ddy[m] = static_cast<float>(300.0 * std::sin(2.1 * t) + 200.0 * std::sin(13.7 * t) +
                                100.0 * std::sin(71.3 * t));
  }
  return ddy;
}

// The timed region includes copying the record back in (about 1 % of a transform), so the
// values never grow from one iteration to the next.
void wvfast_forward(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<float> ddy = ground_motion(n);
  const std::vector<std::complex<float>> wave(ddy.begin(), ddy.end());
  std::vector<std::complex<float>> a(wave.size());
  for (auto _ : state) {
    a = wave;
    numeric::wvfast(n, a, -1);
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(wvfast_forward)->Arg(8192)->Arg(nmax)->Unit(benchmark::kMicrosecond);

void dwvfast_inverse(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<float> ddy = ground_motion(n);
  const std::vector<std::complex<double>> wave(ddy.begin(), ddy.end());
  std::vector<std::complex<double>> a(wave.size());
  for (auto _ : state) {
    a = wave;
    numeric::dwvfast(n, a, 1);
    benchmark::DoNotOptimize(a.data());
  }
}
BENCHMARK(dwvfast_inverse)->Arg(8192)->Unit(benchmark::kMicrosecond);

// One point of a response spectrum: a 0.5 s oscillator over the whole record.
void resp_one_period(benchmark::State& state) {
  const int nn = static_cast<int>(state.range(0));
  const std::vector<float> ddy = ground_motion(nn);
  std::vector<float> acc(ddy.size()), vel(ddy.size()), dis(ddy.size());
  float sa = 0, sv = 0, sd = 0;
  for (auto _ : state) {
    numeric::resp(0.05f, 12.566371f, dt, nn, ddy, acc, vel, dis, sa, sv, sd);
    benchmark::DoNotOptimize(sa);
  }
  state.SetItemsProcessed(state.iterations() * nn);
}
BENCHMARK(resp_one_period)->Arg(nmax)->Unit(benchmark::kMicrosecond);

// A whole spectrum as one fitting iteration computes it with the scalar routine: one call per
// Fourier frequency j * dom, j = 1 .. nf/2, each over all nf samples.
void resp_full_spectrum(benchmark::State& state) {
  const int nf = nmax;
  const std::vector<float> ddy = ground_motion(nf);
  std::vector<float> acc(ddy.size()), vel(ddy.size()), dis(ddy.size());
  const float dom = 6.2831855f / (static_cast<float>(nf) * dt);
  float sa = 0, sv = 0, sd = 0;
  for (auto _ : state) {
    for (int j = 1; j <= nf / 2; ++j) {
      numeric::resp(0.05f, static_cast<float>(j) * dom, dt, nf, ddy, acc, vel, dis, sa, sv, sd);
      benchmark::DoNotOptimize(sa);
    }
  }
}
BENCHMARK(resp_full_spectrum)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
