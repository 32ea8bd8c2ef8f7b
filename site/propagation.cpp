#include "site/propagation.h"

#include <cmath>

namespace site {
namespace {

// 1 / p without a general complex division (a library call on every use): conj(p) / |p|^2.
cplx reciprocal(cplx p) {
  return std::conj(p) / std::norm(p);
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

void wave_column::amplitudes(double omega, std::span<layer_waves> waves) const {
  waves[0] = {1.0, 1.0};
  for (std::size_t m = 0; m + 1 < layers_.size(); ++m) {
    const cplx phase = std::exp(cplx(0.0, omega * layers_[m].thickness) * slowness_[m]);
    const cplx up = waves[m].up * phase;  // at the layer's bottom
    const cplx down = waves[m].down * reciprocal(phase);
    const cplx alpha = alpha_[m];
    waves[m + 1] = {0.5 * (up * (1.0 + alpha) + down * (1.0 - alpha)),
                    0.5 * (up * (1.0 - alpha) + down * (1.0 + alpha))};
  }
}

cplx wave_column::displacement(std::size_t m, const layer_waves& w, double omega, double z,
                               motion_kind kind) const {
  const cplx phase = std::exp(cplx(0.0, omega * z) * slowness_[m]);
  if (kind == motion_kind::outcrop) return 2.0 * w.up * phase;
  return w.up * phase + w.down * reciprocal(phase);
}

cplx wave_column::strain(std::size_t m, const layer_waves& w, double omega, double z) const {
  const cplx k = omega * slowness_[m];
  const cplx phase = std::exp(cplx(0.0, z) * k);
  return cplx(0.0, 1.0) * k * (w.up * phase - w.down * reciprocal(phase));
}

}  // namespace site
