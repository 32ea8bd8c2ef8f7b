// Vertically propagating shear waves through horizontal viscoelastic layers on a half-space, at
// one circular frequency, time dependence exp(i omega t). In each layer the displacement is
// u(z) = up exp(i k z) + down exp(-i k z), z down from the layer's top and k = omega / vs* the
// complex wavenumber; at the free surface up = down. Moduli in kPa, densities in t/m3, lengths
// in m, omega in rad/s.
#pragma once

#include <complex>
#include <cstddef>
#include <span>
#include <vector>

#include "site/profile.h"

namespace site {

using cplx = std::complex<double>;

// G*/G for a damping h (a fraction of critical) in the given form.
cplx modulus_factor(modulus_form form, double damping);

// One layer of the column as the waves see it; the last layer of a column is the half-space,
// whose thickness is not used.
struct wave_layer {
  double thickness = 0.0;
  double density = 0.0;
  cplx modulus;  // G*
};

// The amplitudes at a layer's top.
struct layer_waves {
  cplx up;
  cplx down;
};

// A motion within the soil, or the outcrop motion 2 up exp(i k z) the up-going wave alone would
// give at a free surface there.
enum class motion_kind { within, outcrop };

// A column ready for many frequencies: each layer's slowness sqrt(rho / G*) (the wavenumber over
// omega) and the complex impedance ratio alpha* = sqrt(rho G*) of a layer over the one below.
class wave_column {
 public:
  explicit wave_column(std::span<const wave_layer> layers);
  std::size_t size() const { return layers_.size(); }
  const wave_layer& layer(std::size_t m) const { return layers_[m]; }

  // The amplitudes at the top of every layer (waves.size() == size()) for up = down = 1 at the
  // surface, by the recursion across each interface. At omega = 0 every amplitude is 1.
  void amplitudes(double omega, std::span<layer_waves> waves) const;

  // Displacement at depth z below the top of layer m with amplitudes w there.
  cplx displacement(std::size_t m, const layer_waves& w, double omega, double z,
                    motion_kind kind) const;
  // Shear strain du/dz at depth z below the top of layer m with amplitudes w there.
  cplx strain(std::size_t m, const layer_waves& w, double omega, double z) const;

 private:
  std::vector<wave_layer> layers_;
  std::vector<cplx> slowness_, alpha_;
};

}  // namespace site
