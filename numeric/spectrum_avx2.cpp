// The lockstep kernel on 8-lane AVX vectors; this file alone is compiled with -mavx2.
#include "numeric/spectrum_kernel.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace numeric::detail {
namespace {

struct avx2_ops {
  using reg = __m256;
  static constexpr int lanes = 8;
  static reg load(const float* p) { return _mm256_loadu_ps(p); }
  static void store(float* p, reg a) { _mm256_storeu_ps(p, a); }
  static reg splat(float a) { return _mm256_set1_ps(a); }
  static reg zero() { return _mm256_setzero_ps(); }
  static reg mul(reg a, reg b) { return _mm256_mul_ps(a, b); }
  static reg add(reg a, reg b) { return _mm256_add_ps(a, b); }
  static reg sub(reg a, reg b) { return _mm256_sub_ps(a, b); }
  static reg abs(reg a) { return _mm256_andnot_ps(_mm256_set1_ps(-0.0f), a); }
  // See the AVX-512 kernel: max(sa, v) is (sa >= v) ? sa : v for peaks that are never -0.
  static reg peak(reg sa, reg v) { return _mm256_max_ps(sa, v); }
  static bool all_less(reg a, reg b) {
    return _mm256_movemask_ps(_mm256_cmp_ps(a, b, _CMP_LT_OQ)) == 0xff;
  }
};

}  // namespace

void sa_block_avx2(const float* coef, const float* ddy, int nn, int quiet, float dx0, float* sa) {
  lockstep_sa<avx2_ops, 4>(coef, ddy, nn, quiet, dx0, sa);
}

}  // namespace numeric::detail

#else

// Built without the instruction set (not x86-64): never selected, see simd_path_available.
void numeric::detail::sa_block_avx2(const float* coef, const float* ddy, int nn, float dx0,
                                    float* sa) {
  sa_block_baseline(coef, ddy, nn, dx0, sa);
}

#endif
