// The lockstep kernel for any processor: 4-lane SSE2 vectors on x86-64, one lane elsewhere.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "numeric/spectrum_kernel.h"

namespace numeric::detail {
namespace {

#if defined(__SSE2__)
struct baseline_ops {
  using reg = __m128;
  static constexpr int lanes = 4;
  static reg load(const float* p) { return _mm_loadu_ps(p); }
  static void store(float* p, reg a) { _mm_storeu_ps(p, a); }
  static reg splat(float a) { return _mm_set1_ps(a); }
  static reg zero() { return _mm_setzero_ps(); }
  static reg mul(reg a, reg b) { return _mm_mul_ps(a, b); }
  static reg add(reg a, reg b) { return _mm_add_ps(a, b); }
  static reg sub(reg a, reg b) { return _mm_sub_ps(a, b); }
  static reg abs(reg a) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), a); }
  // See the AVX-512 kernel: max(sa, v) is (sa >= v) ? sa : v for peaks that are never -0.
  static reg peak(reg sa, reg v) { return _mm_max_ps(sa, v); }
  static bool all_less(reg a, reg b) { return _mm_movemask_ps(_mm_cmplt_ps(a, b)) == 0xf; }
};
#else
struct baseline_ops {
  using reg = float;
  static constexpr int lanes = 1;
  static reg load(const float* p) { return *p; }
  static void store(float* p, reg a) { *p = a; }
  static reg splat(float a) { return a; }
  static reg zero() { return 0.0f; }
  static reg mul(reg a, reg b) { return a * b; }
  static reg add(reg a, reg b) { return a + b; }
  static reg sub(reg a, reg b) { return a - b; }
  static reg abs(reg a) { return __builtin_fabsf(a); }
  static reg peak(reg sa, reg v) { return (sa >= v) ? sa : v; }
  static bool all_less(reg a, reg b) { return a < b; }
};
#endif

}  // namespace

void sa_block_baseline(const float* coef, const float* ddy, int nn, int quiet, float dx0,
                       float* sa) {
  lockstep_sa<baseline_ops, 4>(coef, ddy, nn, quiet, dx0, sa);
}

}  // namespace numeric::detail
