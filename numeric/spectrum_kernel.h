// Internal to the spectrum engine (and its tests): the lockstep oscillator kernel shared by the
// vector paths. Each path's translation unit is compiled for its own instruction set, so it
// includes nothing but this header and its intrinsics: an inline function from a standard header
// compiled there could be picked by the linker for every caller and fault on an older processor.
#pragma once

namespace numeric::detail {

// Oscillators per kernel call. The coefficients arrive as block_width values of a11, then of a12,
// a21, a22, b11, b12, b21, b22, w2 and mhw2 (the order of resp_coefficients).
inline constexpr int block_width = 64;
inline constexpr int n_coefficients = 10;

// Peak |absolute acceleration| over samples 1..nn-1 of each oscillator of the block, starting
// from x = 0, dx = dx0; nn >= 2. The ground is at rest from sample quiet on (ddy[m] == 0 for
// every m >= quiet). Each kernel exists only in a build for its instruction set.
using block_kernel = void (*)(const float* coef, const float* ddy, int nn, int quiet, float dx0,
                              float* sa);
void sa_block_baseline(const float* coef, const float* ddy, int nn, int quiet, float dx0,
                       float* sa);
void sa_block_avx2(const float* coef, const float* ddy, int nn, int quiet, float dx0, float* sa);
void sa_block_avx512(const float* coef, const float* ddy, int nn, int quiet, float dx0, float* sa);

// Steps between two looks at whether the oscillators of a pass have settled.
inline constexpr int settle_interval = 64;
// Once the ground is at rest an oscillator only loses energy: dx^2 + w2*x^2 cannot grow, and
// |mhw2*dx - w2*x| <= sqrt((mhw2^2 + w2)*(dx^2 + w2*x^2)) for ever after (Cauchy-Schwarz). When
// that bound, widened by this factor on its square (5 % on the amplitude, far beyond what the
// float recurrence can add over any record), lies below the peak, no later sample can change it.
inline constexpr float settle_margin = 1.1025f;

// The recurrence of resp over lanes of a vector type, nvec vectors per pass over the wave so that
// their dependency chains overlap. Ops supplies load, store, splat, zero, mul, add, sub, abs and
// peak(sa, v), which must equal (sa >= v) ? sa : v lane by lane, NaN included, and
// all_less(a, b), true when a < b in every lane (false for NaN). Every sum keeps resp's order;
// nothing is fused. A pass stops early, with the same peaks, once the ground is at rest and
// every oscillator of the pass has settled below its peak (see settle_margin).
template <class Ops, int nvec>
inline void lockstep_sa(const float* coef, const float* ddy, int nn, int quiet, float dx0,
                        float* sa) {
  using reg = typename Ops::reg;
  constexpr int step = Ops::lanes * nvec;
  static_assert(block_width % step == 0);
  for (int base = 0; base < block_width; base += step) {
    reg a11[nvec], a12[nvec], a21[nvec], a22[nvec], b11[nvec], b12[nvec], b21[nvec], b22[nvec],
        w2[nvec], mhw2[nvec], x[nvec], dx[nvec], peak[nvec];
    for (int v = 0; v < nvec; ++v) {
      const float* c = coef + base + v * Ops::lanes;
      a11[v] = Ops::load(c);
      a12[v] = Ops::load(c + block_width);
      a21[v] = Ops::load(c + 2 * block_width);
      a22[v] = Ops::load(c + 3 * block_width);
      b11[v] = Ops::load(c + 4 * block_width);
      b12[v] = Ops::load(c + 5 * block_width);
      b21[v] = Ops::load(c + 6 * block_width);
      b22[v] = Ops::load(c + 7 * block_width);
      w2[v] = Ops::load(c + 8 * block_width);
      mhw2[v] = Ops::load(c + 9 * block_width);
      x[v] = Ops::zero();
      dx[v] = Ops::splat(dx0);
      peak[v] = Ops::zero();
    }
    // Both ground samples of a step are broadcast once and shared by every vector.
    reg ddyf = Ops::splat(ddy[0]);
    for (int m = 1; m < nn; ++m) {
      const reg ddym = Ops::splat(ddy[m]);
      for (int v = 0; v < nvec; ++v) {
        const reg xf = x[v], dxf = dx[v];
        x[v] = Ops::add(
            Ops::add(Ops::add(Ops::mul(a12[v], dxf), Ops::mul(a11[v], xf)), Ops::mul(b12[v], ddym)),
            Ops::mul(b11[v], ddyf));
        dx[v] = Ops::add(
            Ops::add(Ops::add(Ops::mul(a22[v], dxf), Ops::mul(a21[v], xf)), Ops::mul(b22[v], ddym)),
            Ops::mul(b21[v], ddyf));
        const reg ddx = Ops::sub(Ops::mul(mhw2[v], dx[v]), Ops::mul(w2[v], x[v]));
        peak[v] = Ops::peak(peak[v], Ops::abs(ddx));
      }
      ddyf = ddym;
      if (m >= quiet && m % settle_interval == 0) {
        bool settled = true;
        for (int v = 0; v < nvec && settled; ++v) {
          const reg energy =
              Ops::add(Ops::mul(dx[v], dx[v]), Ops::mul(w2[v], Ops::mul(x[v], x[v])));
          const reg gain = Ops::add(Ops::mul(mhw2[v], mhw2[v]), w2[v]);
          const reg bound = Ops::mul(Ops::mul(gain, energy), Ops::splat(settle_margin));
          settled = Ops::all_less(bound, Ops::mul(peak[v], peak[v]));
        }
        if (settled) break;
      }
    }
    for (int v = 0; v < nvec; ++v) Ops::store(sa + base + v * Ops::lanes, peak[v]);
  }
}

}  // namespace numeric::detail
