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

  // exp(i k z) in layer m: the phase an up-going wave gains from its top down to depth z.
  cplx phase(std::size_t m, double omega, double z) const;
  const cplx& slowness(std::size_t m) const { return slowness_[m]; }

  // The amplitudes at the top of every layer (waves.size() == size()) for up = down = 1 at the
  // surface, by the recursion across each interface. At omega = 0 every amplitude is 1. Where
  // they would overflow, all of them are divided by 2^rescale_exponent together, as many times
  // as returned.
  static constexpr int rescale_exponent = 512;
  int amplitudes(double omega, std::span<layer_waves> waves) const;
  // The same from each layer's phase across its thickness, phases[m] = phase(m, omega,
  // thickness) for every layer but the half-space.
  int amplitudes(std::span<const cplx> phases, std::span<layer_waves> waves) const;

  // Displacement at depth z below the top of layer m with amplitudes w there.
  cplx displacement(std::size_t m, const layer_waves& w, double omega, double z,
                    motion_kind kind) const;
  // Shear strain du/dz at depth z below the top of layer m with amplitudes w there.
  cplx strain(std::size_t m, const layer_waves& w, double omega, double z) const;
  // The same two from the phase at that depth, phase(m, omega, z).
  static cplx displacement(const layer_waves& w, cplx phase, motion_kind kind);
  cplx strain(std::size_t m, const layer_waves& w, double omega, cplx phase) const;

 private:
  std::vector<wave_layer> layers_;
  std::vector<cplx> slowness_, alpha_;
};

// The phases exp(i omega z s) of a set of depths z in layers of slowness s at the bins
// omega_j = j d_omega, j = 0, 1, 2, ... in turn. Within a pass the slownesses are fixed, so
// exp(i omega_{j+1} z s) = exp(i omega_j z s) exp(i d_omega z s): one complex product per bin in
// place of a complex exponential. Every refresh_interval bins each phase is taken afresh from the
// exponential, so the rounding carried forward stays within a few hundred units in the last
// place (about 1e-14 relative).
class phase_walk {
 public:
  static constexpr std::size_t refresh_interval = 64;

  explicit phase_walk(double d_omega) : d_omega_(d_omega) {}
  // A depth z below the top of a layer of slowness s; its phases are values()[index], the index
  // being the count of depths added before it.
  void add(double z, cplx slowness);
  // Moves to bin j at circular frequency omega = j d_omega; j is 0 on the first call and one
  // more than the last j on every other.
  void move_to(std::size_t j, double omega);
  std::span<const cplx> values() const { return value_; }

 private:
  double d_omega_;
  std::vector<double> z_;
  std::vector<cplx> slowness_, step_, value_;
};

}  // namespace site
