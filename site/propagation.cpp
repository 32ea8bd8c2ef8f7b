#include "site/propagation.h"

#include <algorithm>
#include <cmath>

namespace site {
namespace {

// 1 / p without a general complex division (a library call on every use): conj(p) / |p|^2.
cplx reciprocal(cplx p) {
  return std::conj(p) / std::norm(p);
}

// a b written out: std::complex's product checks every result for a NaN to recover from, a
// branch in the innermost loop that finite phases and amplitudes never take.
cplx times(cplx a, cplx b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// A soft, damped layer at a high frequency multiplies the amplitudes by exp(|Im k| h) on the
// way down, which overflows a double within a few metres of mud while every ratio of two motions
// stays bounded. Past 2^512 every layer so far is divided by 2^512 together: the ratios the
// analysis takes are unchanged, and the motion near the surface, negligible beside the deep one,
// may underflow to 0. Only a layer that alone grew by more than 2^500 would still overflow.
const double rescale_above = std::ldexp(1.0, wave_column::rescale_exponent);

double largest_part(const layer_waves& w) {
  return std::max({std::abs(w.up.real()), std::abs(w.up.imag()), std::abs(w.down.real()),
                   std::abs(w.down.imag())});
}

cplx scaled_down(cplx a) {
  constexpr int e = wave_column::rescale_exponent;
  return {std::ldexp(a.real(), -e), std::ldexp(a.imag(), -e)};
}

}  // namespace

cplx modulus_factor(modulus_form form, double h) {
  switch (form) {
    case modulus_form::simple:
      return {1.0, 2.0 * h};
    case modulus_form::shake91:
      return {1.0 - 2.0 * h * h, 2.0 * h * std::sqrt(1.0 - h * h)};
    case modulus_form::kramer:
      return {1.0 - h * h, 2.0 * h};
    case modulus_form::dormieux:
      return {std::sqrt(1.0 - 4.0 * h * h), 2.0 * h};
  }
  return {1.0, 2.0 * h};
}

wave_column::wave_column(std::span<const wave_layer> layers)
    : layers_(layers.begin(), layers.end()) {
  // G* has a positive real part and a non-negative imaginary one, so the principal roots give
  // waves that decay as they travel.
  for (const wave_layer& layer : layers_) {
    slowness_.push_back(std::sqrt(cplx(layer.density) / layer.modulus));
  }
  for (std::size_t m = 0; m + 1 < layers_.size(); ++m) {
    const wave_layer& above = layers_[m];
    const wave_layer& below = layers_[m + 1];
    alpha_.push_back(std::sqrt(above.density * above.modulus) /
                     std::sqrt(below.density * below.modulus));
  }
}

cplx wave_column::phase(std::size_t m, double omega, double z) const {
  return std::exp(cplx(0.0, omega * z) * slowness_[m]);
}

int wave_column::amplitudes(double omega, std::span<layer_waves> waves) const {
  std::vector<cplx> phases(layers_.size() - 1);
  for (std::size_t m = 0; m < phases.size(); ++m) phases[m] = phase(m, omega, layers_[m].thickness);
  return amplitudes(phases, waves);
}

int wave_column::amplitudes(std::span<const cplx> phases, std::span<layer_waves> waves) const {
  int rescales = 0;
  waves[0] = {1.0, 1.0};
  for (std::size_t m = 0; m + 1 < layers_.size(); ++m) {
    const cplx up = times(waves[m].up, phases[m]);  // at the layer's bottom
    const cplx down = times(waves[m].down, reciprocal(phases[m]));
    const cplx alpha = alpha_[m];
    waves[m + 1] = {0.5 * (times(up, 1.0 + alpha) + times(down, 1.0 - alpha)),
                    0.5 * (times(up, 1.0 - alpha) + times(down, 1.0 + alpha))};
    if (largest_part(waves[m + 1]) > rescale_above) {
      for (std::size_t n = 0; n <= m + 1; ++n) {
        waves[n] = {scaled_down(waves[n].up), scaled_down(waves[n].down)};
      }
      ++rescales;
    }
  }
  return rescales;
}

cplx wave_column::displacement(std::size_t m, const layer_waves& w, double omega, double z,
                               motion_kind kind) const {
  return displacement(w, phase(m, omega, z), kind);
}

cplx wave_column::displacement(const layer_waves& w, cplx phase, motion_kind kind) {
  if (kind == motion_kind::outcrop) return 2.0 * times(w.up, phase);
  return times(w.up, phase) + times(w.down, reciprocal(phase));
}

cplx wave_column::strain(std::size_t m, const layer_waves& w, double omega, double z) const {
  return strain(m, w, omega, phase(m, omega, z));
}

cplx wave_column::strain(std::size_t m, const layer_waves& w, double omega, cplx phase) const {
  const cplx k = omega * slowness_[m];
  return times(cplx(-k.imag(), k.real()),
               times(w.up, phase) - times(w.down, reciprocal(phase)));  // i k (...)
}

void phase_walk::add(double z, cplx slowness) {
  z_.push_back(z);
  slowness_.push_back(slowness);
  step_.push_back(std::exp(cplx(0.0, d_omega_ * z) * slowness));
  value_.push_back(1.0);
}

void phase_walk::move_to(std::size_t j, double omega) {
  if (j % refresh_interval == 0) {
    for (std::size_t q = 0; q < z_.size(); ++q) {
      value_[q] = std::exp(cplx(0.0, omega * z_[q]) * slowness_[q]);
    }
    return;
  }
  for (std::size_t q = 0; q < z_.size(); ++q) value_[q] = times(value_[q], step_[q]);
}

}  // namespace site
