// The batched spectrum engine against the scalar oscillator response, bit for bit.
#include "numeric/spectrum.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "numeric/response.h"

namespace {

using numeric::simd_path;
using numeric::spectrum_engine;

constexpr float h = 0.05f;

std::vector<simd_path> available_paths() {
  std::vector<simd_path> paths;
  for (simd_path p : {simd_path::baseline, simd_path::avx2, simd_path::avx512})
    if (numeric::simd_path_available(p)) paths.push_back(p);
  return paths;
}

std::string name(simd_path p) {
  switch (p) {
    case simd_path::avx512:
      return "avx512";
    case simd_path::avx2:
      return "avx2";
    case simd_path::baseline:
      break;
  }
  return "baseline";
}

// The circular frequencies of the Fourier grid of an nf-point transform, points 2..nf/2+1.
std::vector<float> fourier_grid(int nf, float dt) {
  const float dom = 6.2831855f / (static_cast<float>(nf) * dt);
  std::vector<float> w(static_cast<std::size_t>(nf / 2));
  for (std::size_t k = 0; k < w.size(); ++k) w[k] = static_cast<float>(k + 1) * dom;
  return w;
}

std::vector<float> random_wave(int nt, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> u(-300.0f, 300.0f);
  std::vector<float> ddy(static_cast<std::size_t>(nt));
  for (float& a : ddy) a = u(gen);
  return ddy;
}

// Peak sa of resp for w[k], k in picks (all of w when picks is empty).
std::vector<float> reference(float dt, const std::vector<float>& ddy, const std::vector<float>& w,
                             const std::vector<std::size_t>& picks) {
  const std::size_t n = std::max<std::size_t>(ddy.size(), 1);
  std::vector<float> acc(n), vel(n), dis(n), sa;
  auto one = [&](std::size_t k) {
    float a = 0, v = 0, d = 0;
    numeric::resp(h, w[k], dt, static_cast<int>(ddy.size()), ddy, acc, vel, dis, a, v, d);
    sa.push_back(a);
  };
  if (picks.empty())
    for (std::size_t k = 0; k < w.size(); ++k) one(k);
  else
    for (std::size_t k : picks) one(k);
  return sa;
}

// Bit patterns, so that NaN compares equal to itself and -0 differs from +0.
void expect_same_bits(const std::vector<float>& want, const std::vector<float>& got,
                      const std::string& what) {
  ASSERT_EQ(want.size(), got.size()) << what;
  int bad = 0;
  for (std::size_t k = 0; k < want.size() && bad < 5; ++k) {
    if (std::bit_cast<std::uint32_t>(want[k]) != std::bit_cast<std::uint32_t>(got[k])) {
      ADD_FAILURE() << what << ": oscillator " << k << " resp " << want[k] << " engine " << got[k];
      ++bad;
    }
  }
}

struct wave_case {
  const char* label;
  int nf;  // transform length: the grid has nf/2 oscillators
  std::vector<float> ddy;
};

std::vector<wave_case> small_cases() {
  std::vector<wave_case> cases;
  cases.push_back({"two oscillators, a padded block", 4, random_wave(3, 1)});
  cases.push_back({"one full block and one lane", 130, random_wave(129, 2)});
  cases.push_back({"odd length", 1024, random_wave(1001, 3)});
  cases.push_back({"two samples", 8, random_wave(2, 4)});

  std::vector<float> nan_wave = random_wave(517, 5);
  nan_wave[300] = std::numeric_limits<float>::quiet_NaN();
  cases.push_back({"NaN in the middle", 1024, nan_wave});

  std::vector<float> nan_first = random_wave(333, 6);
  nan_first[0] = std::numeric_limits<float>::quiet_NaN();
  cases.push_back({"NaN in the starting velocity", 512, nan_first});

  std::vector<float> inf_wave = random_wave(411, 7);
  inf_wave[50] = std::numeric_limits<float>::infinity();
  inf_wave[51] = -std::numeric_limits<float>::infinity();
  cases.push_back({"infinities", 512, inf_wave});

  // Free vibration decays through subnormal states: no flush to zero anywhere.
  std::vector<float> tail(3000, 0.0f);
  std::copy_n(random_wave(40, 8).begin(), 40, tail.begin() + 10);
  cases.push_back({"long zero runs", 4096, tail});

  // Rest for 30000 samples after a burst: oscillators stop early once settled below their peak.
  std::vector<float> burst(32000, 0.0f);
  std::copy_n(random_wave(2000, 11).begin(), 2000, burst.begin());
  cases.push_back({"a burst, then the ground at rest", 2048, burst});

  std::vector<float> tiny = random_wave(700, 9);
  for (float& a : tiny) a *= 1e-36f;
  cases.push_back({"subnormal responses", 1024, tiny});

  cases.push_back({"all zero", 256, std::vector<float>(200, 0.0f)});
  return cases;
}

TEST(spectrum_engine, matches_resp_bit_for_bit_on_every_path_and_thread_count) {
  const float dt = 0.01f;
  const std::vector<wave_case> cases = small_cases();
  std::vector<std::vector<float>> want;
  for (const wave_case& c : cases) want.push_back(reference(dt, c.ddy, fourier_grid(c.nf, dt), {}));

  for (simd_path p : available_paths()) {
    for (int threads : {1, 2, 3, 8}) {
      // One engine for every case: the pool must hand out job after job.
      spectrum_engine engine(threads, p);
      ASSERT_EQ(engine.path(), p);
      ASSERT_EQ(engine.threads(), threads);
      for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::vector<float> w = fourier_grid(cases[i].nf, dt);
        std::vector<float> sa(w.size(), -1.0f);
        engine.spectrum(h, dt, static_cast<int>(cases[i].ddy.size()), cases[i].ddy, w, sa);
        expect_same_bits(want[i], sa,
                         name(p) + ", " + std::to_string(threads) + " threads, " + cases[i].label);
      }
    }
  }
}

TEST(spectrum_engine, matches_resp_on_the_largest_grid) {
  // 16384 oscillators over a wave of odd length; resp checks a spread of them, the last included.
  const float dt = 0.005f;
  std::vector<float> ddy = random_wave(30001, 10);
  ddy[12345] = std::numeric_limits<float>::quiet_NaN();  // only the oscillators that see it
  for (int i = 20000; i < 30001; ++i) ddy[static_cast<std::size_t>(i)] = 0.0f;
  const std::vector<float> w = fourier_grid(32768, dt);
  std::vector<std::size_t> picks;
  for (std::size_t k = 0; k < w.size(); k += 331) picks.push_back(k);
  for (std::size_t k = w.size() - 70; k < w.size(); ++k) picks.push_back(k);
  const std::vector<float> want = reference(dt, ddy, w, picks);

  for (simd_path p : available_paths()) {
    spectrum_engine engine(2, p);
    std::vector<float> sa(w.size());
    engine.spectrum(h, dt, static_cast<int>(ddy.size()), ddy, w, sa);
    std::vector<float> got;
    for (std::size_t k : picks) got.push_back(sa[k]);
    expect_same_bits(want, got, name(p));
  }
}

TEST(spectrum_engine, fewer_than_two_samples_give_zero_peaks) {
  const std::vector<float> w = fourier_grid(64, 0.01f);
  const std::vector<float> one = {5.0f};
  for (int threads : {1, 2}) {
    spectrum_engine engine(threads);
    std::vector<float> sa(w.size(), -1.0f);
    engine.spectrum(h, 0.01f, 1, one, w, sa);
    EXPECT_EQ(sa, std::vector<float>(w.size(), 0.0f));
    std::fill(sa.begin(), sa.end(), -1.0f);
    engine.spectrum(h, 0.01f, 0, {}, w, sa);
    EXPECT_EQ(sa, std::vector<float>(w.size(), 0.0f));
  }
}

TEST(spectrum_engine, reports_the_paths_it_can_run) {
  EXPECT_TRUE(numeric::simd_path_available(simd_path::baseline));
  EXPECT_TRUE(numeric::simd_path_available(numeric::widest_simd_path()));
  EXPECT_EQ(spectrum_engine(1).path(), numeric::widest_simd_path());
  // A wider path implies the narrower ones on every processor we dispatch for.
  if (numeric::simd_path_available(simd_path::avx512)) {
    EXPECT_TRUE(numeric::simd_path_available(simd_path::avx2));
  }
  EXPECT_GE(spectrum_engine().threads(), 1);
}

std::atomic<int> usr1_count{0};
std::atomic<pthread_t> usr1_thread{};
extern "C" void on_usr1(int) {
  usr1_thread.store(pthread_self());
  usr1_count.fetch_add(1);
}

TEST(spectrum_engine, workers_leave_every_signal_to_the_calling_thread) {
  struct sigaction sa_new {
  }, sa_old{};
  sa_new.sa_handler = on_usr1;
  sigemptyset(&sa_new.sa_mask);
  ASSERT_EQ(sigaction(SIGUSR1, &sa_new, &sa_old), 0);

  sigset_t before, after, usr1;
  pthread_sigmask(SIG_SETMASK, nullptr, &before);
  {
    spectrum_engine engine(4);
    pthread_sigmask(SIG_SETMASK, nullptr, &after);
    EXPECT_EQ(sigismember(&before, SIGINT), sigismember(&after, SIGINT));
    EXPECT_EQ(sigismember(&before, SIGUSR1), sigismember(&after, SIGUSR1));

    // With the signal blocked here, a worker that accepted it would run the handler at once.
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &usr1, nullptr);
    usr1_count = 0;
    kill(getpid(), SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(usr1_count.load(), 0);
    pthread_sigmask(SIG_UNBLOCK, &usr1, nullptr);
    EXPECT_EQ(usr1_count.load(), 1);
    EXPECT_TRUE(pthread_equal(usr1_thread.load(), pthread_self()));
  }
  sigaction(SIGUSR1, &sa_old, nullptr);
}

}  // namespace
