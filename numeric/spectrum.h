// Batched response spectrum: the peak absolute acceleration of many damped oscillators under one
// ground acceleration, on every core and with the widest vector instructions the processor has.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <thread>
#include <vector>

namespace numeric {

// Vector instruction sets the engine has a kernel for, narrowest first.
enum class simd_path { baseline, avx2, avx512 };

// Whether this processor (and its operating system) can run path p. baseline is always true.
bool simd_path_available(simd_path p);

// The widest path this processor can run.
simd_path widest_simd_path();

// Fills sa[k], for every k < w.size(), with the peak absolute acceleration that resp(h, w[k], dt,
// nn, ddy, ...) returns, bit for bit: the same coefficients (resp_coefficients_for), the same
// float operations in the same order, the same treatment of NaN and infinity. Oscillators run in
// lockstep across vector lanes; the frequencies are shared out over a pool of threads that is
// created once, with every signal blocked, so that signal handlers run on the calling thread.
// The result does not depend on the path or the number of threads. One engine serves one calling
// thread at a time; a call allocates nothing.
class spectrum_engine {
 public:
  // threads <= 0: one per hardware thread (at least 1). threads counts the calling thread, which
  // takes its share of the work, so threads == 1 starts no thread at all.
  explicit spectrum_engine(int threads = 0);
  // Forces a path; one this processor cannot run falls back to the widest narrower one (path()).
  spectrum_engine(int threads, simd_path path);
  ~spectrum_engine();
  spectrum_engine(const spectrum_engine&) = delete;
  spectrum_engine& operator=(const spectrum_engine&) = delete;

  // ddy needs nn elements when nn >= 2 and may be empty otherwise (all peaks are then 0);
  // sa needs w.size() elements. h, w and dt as for resp.
  void spectrum(float h, float dt, int nn, std::span<const float> ddy, std::span<const float> w,
                std::span<float> sa);

  // Threads that work, the caller included: fewer than asked when the system refused some.
  int threads() const { return static_cast<int>(workers_.size()) + 1; }
  simd_path path() const { return path_; }

 private:
  struct job {
    float h = 0.0f, dt = 0.0f;
    int nn = 0;
    const float* ddy = nullptr;
    const float* w = nullptr;
    float* sa = nullptr;
    int count = 0;
    int blocks = 0;
  };
  struct alignas(64) scratch;  // one per thread: a block of coefficients and peaks

  void work(scratch& s);
  void worker_loop(int index);

  simd_path path_;
  job job_;
  std::vector<scratch> scratch_;
  std::vector<std::thread> workers_;
  std::atomic<std::uint32_t> generation_{0};  // bumped to hand the workers a new job
  std::atomic<int> next_block_{0};
  std::atomic<int> done_blocks_{0};
  std::atomic<int> pending_{0};  // workers not yet back from the latest job
  std::atomic<bool> stop_{false};
};

}  // namespace numeric
