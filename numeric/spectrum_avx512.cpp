// The lockstep kernel on 16-lane AVX-512 vectors; this file alone is compiled with -mavx512f.
#include "numeric/spectrum_kernel.h"

#if defined(__AVX512F__)
#include <immintrin.h>

namespace numeric::detail {
namespace {

struct avx512_ops {
  using reg = __m512;
  static constexpr int lanes = 16;
  static reg load(const float* p) { return _mm512_loadu_ps(p); }
  static void store(float* p, reg a) { _mm512_storeu_ps(p, a); }
  static reg splat(float a) { return _mm512_set1_ps(a); }
  static reg zero() { return _mm512_setzero_ps(); }
  static reg mul(reg a, reg b) { return _mm512_mul_ps(a, b); }
  static reg add(reg a, reg b) { return _mm512_add_ps(a, b); }
  static reg sub(reg a, reg b) { return _mm512_sub_ps(a, b); }
  // g++ 12's _mm512_abs_ps and _mm512_max_ps trip -Wmaybe-uninitialized inside its own header;
  // the integer and and the zero-masked max with every lane selected are the same instructions.
  static reg abs(reg a) {
    return _mm512_castsi512_ps(
        _mm512_and_si512(_mm512_castps_si512(a), _mm512_set1_epi32(0x7fffffff)));
  }
  // max returns its second operand unless the first is larger: a NaN v wins, a NaN sa loses,
  // exactly as (sa >= v) ? sa : v does for peaks that are never -0.
  static reg peak(reg sa, reg v) { return _mm512_maskz_max_ps(0xffff, sa, v); }
  static bool all_less(reg a, reg b) { return _mm512_cmp_ps_mask(a, b, _CMP_LT_OQ) == 0xffff; }
};

}  // namespace

void sa_block_avx512(const float* coef, const float* ddy, int nn, int quiet, float dx0, float* sa) {
  lockstep_sa<avx512_ops, 4>(coef, ddy, nn, quiet, dx0, sa);
}

}  // namespace numeric::detail

#else

// Built without the instruction set (not x86-64): never selected, see simd_path_available.
void numeric::detail::sa_block_avx512(const float* coef, const float* ddy, int nn, int quiet,
                                      float dx0, float* sa) {
  sa_block_baseline(coef, ddy, nn, quiet, dx0, sa);
}

#endif
