#include "numeric/spectrum.h"

#include <pthread.h>

#include <algorithm>
#include <csignal>
#include <system_error>

#include "numeric/response.h"
#include "numeric/spectrum_kernel.h"

namespace numeric {

struct alignas(64) spectrum_engine::scratch {
  float coef[detail::n_coefficients * detail::block_width];
  float sa[detail::block_width];
};

namespace {

using detail::block_width;

detail::block_kernel kernel_for(simd_path p) {
  switch (p) {
    case simd_path::avx512:
      return detail::sa_block_avx512;
    case simd_path::avx2:
      return detail::sa_block_avx2;
    case simd_path::baseline:
      break;
  }
  return detail::sa_block_baseline;
}

simd_path usable(simd_path p) {
  while (!simd_path_available(p)) p = static_cast<simd_path>(static_cast<int>(p) - 1);
  return p;
}

// Fills lane k of a block with the coefficients of frequency w.
void put_coefficients(float* coef, int k, const resp_coefficients& c) {
  const float values[detail::n_coefficients] = {c.a11, c.a12, c.a21, c.a22, c.b11,
                                                c.b12, c.b21, c.b22, c.w2,  c.mhw2};
  for (int i = 0; i < detail::n_coefficients; ++i) coef[i * block_width + k] = values[i];
}

// Blocks every signal in the creating thread while it starts threads (they inherit the mask),
// so that interrupt and termination handlers run on the thread that installed them.
class signals_blocked {
 public:
  signals_blocked() {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &saved_);
  }
  ~signals_blocked() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
  signals_blocked(const signals_blocked&) = delete;
  signals_blocked& operator=(const signals_blocked&) = delete;

 private:
  sigset_t saved_;
};

}  // namespace

bool simd_path_available(simd_path p) {
#if defined(__x86_64__) || defined(__i386__)
  // Checks the processor and that the operating system saves the wide registers.
  switch (p) {
    case simd_path::avx512:
      return __builtin_cpu_supports("avx512f") != 0;
    case simd_path::avx2:
      return __builtin_cpu_supports("avx2") != 0;
    case simd_path::baseline:
      return true;
  }
  return false;
#else
  return p == simd_path::baseline;
#endif
}

simd_path widest_simd_path() {
  return usable(simd_path::avx512);
}

spectrum_engine::spectrum_engine(int threads) : spectrum_engine(threads, widest_simd_path()) {}

spectrum_engine::spectrum_engine(int threads, simd_path path) : path_(usable(path)) {
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  scratch_.resize(static_cast<std::size_t>(threads));
  workers_.reserve(static_cast<std::size_t>(threads - 1));
  const signals_blocked guard;
  for (int i = 1; i < threads; ++i) {
    try {
      workers_.emplace_back(&spectrum_engine::worker_loop, this, i);
    } catch (const std::system_error&) {
      break;  // fewer threads than asked: the results are the same
    }
  }
}

// Not reached when a signal handler ends the run with exit(): the workers then simply end with
// the process, blocked or in the middle of a block, and touch nothing the shutdown uses.
spectrum_engine::~spectrum_engine() {
  stop_.store(true, std::memory_order_release);
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
  for (std::thread& t : workers_) t.join();
}

void spectrum_engine::spectrum(float h, float dt, int nn, std::span<const float> ddy,
                               std::span<const float> w, std::span<float> sa) {
  const int count = static_cast<int>(w.size());
  if (count == 0) return;
  if (nn < 2) {
    std::fill_n(sa.begin(), count, 0.0f);  // the recurrence never runs
    return;
  }
  // A worker that woke late for the previous job may still be reading it.
  for (int p; (p = pending_.load(std::memory_order_acquire)) != 0;) pending_.wait(p);
  const int blocks = (count + block_width - 1) / block_width;
  job_ = job{h, dt, nn, ddy.data(), w.data(), sa.data(), count, blocks};
  next_block_.store(0, std::memory_order_relaxed);
  done_blocks_.store(0, std::memory_order_relaxed);
  if (workers_.empty() || blocks == 1) {
    work(scratch_[0]);
    return;
  }
  pending_.store(static_cast<int>(workers_.size()), std::memory_order_relaxed);
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
  work(scratch_[0]);
  // Wait for the blocks, not for the workers: one that is slow to wake finds nothing left.
  for (int d; (d = done_blocks_.load(std::memory_order_acquire)) != blocks;) done_blocks_.wait(d);
}

void spectrum_engine::worker_loop(int index) {
  std::uint32_t seen = 0;
  for (;;) {
    generation_.wait(seen, std::memory_order_acquire);
    seen = generation_.load(std::memory_order_acquire);
    if (stop_.load(std::memory_order_acquire)) return;
    work(scratch_[static_cast<std::size_t>(index)]);
    if (pending_.fetch_sub(1, std::memory_order_acq_rel) == 1) pending_.notify_one();
  }
}

// Takes blocks of frequencies until none is left. Each frequency's peak depends on nothing but
// its own lane, so the split over threads cannot change a result.
void spectrum_engine::work(scratch& s) {
  const job& j = job_;
  const detail::block_kernel kernel = kernel_for(path_);
  const float dx0 = -j.ddy[0] * j.dt;
  // The first sample from which the ground stays exactly at rest (a NaN is no rest).
  int quiet = j.nn;
  while (quiet > 0 && j.ddy[quiet - 1] == 0.0f) --quiet;
  while (!stop_.load(std::memory_order_relaxed)) {
    const int first = next_block_.fetch_add(1, std::memory_order_relaxed) * block_width;
    if (first >= j.count) return;
    const int n = std::min(block_width, j.count - first);
    for (int k = 0; k < n; ++k)
      put_coefficients(s.coef, k, resp_coefficients_for(j.h, j.w[first + k], j.dt));
    // Spare lanes repeat the last oscillator: no lane runs on undefined coefficients.
    for (int i = 0; i < detail::n_coefficients; ++i) {
      float* row = s.coef + i * block_width;
      std::fill(row + n, row + block_width, row[n - 1]);
    }
    kernel(s.coef, j.ddy, j.nn, quiet, dx0, s.sa);
    std::copy_n(s.sa, n, j.sa + first);
    if (done_blocks_.fetch_add(1, std::memory_order_acq_rel) + 1 == j.blocks) {
      done_blocks_.notify_one();
    }
  }
}

}  // namespace numeric
