// One-dimensional site response: a wave taken through the soil column by vertically propagating
// shear waves, in the frequency domain, with strain-compatible (equivalent-linear) properties.
//
// The iteration. Pass 1 propagates with the small-strain properties (G/G0 = 1, the curve's
// damping at zero strain). Each pass finds the peak strain of every sublayer at its mid-height
// from its time history and reads new properties from the curves at strain_ratio times that
// peak; its error is the largest absolute relative change |new - used| / new of G/G0 or damping
// over the sublayers. The analysis stops at the first pass whose error is below the tolerance
// (or after max_iterations passes). What it returns is that last propagation: the output wave,
// the strains and every other result come from the properties that pass used, and those are the
// properties reported. So the reported G/G0 and damping equal the curves at strain_ratio times
// the reported peak strain to within the last error, and the waves are exactly of them. One more
// propagation with the next properties would only be the next pass, whose strains ask for
// properties different again: the rule holds to a tolerance either way, and this way the bound
// is the error reported. The linear method makes one pass and reports an error of 0.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "site/profile.h"
#include "site/propagation.h"

namespace site {

// The wave to propagate and where it is taken in and out. Accelerations in gal, depths in m from
// the surface (not negative; below the bedrock's top they lie in the half-space), dt > 0.
struct site_motion {
  std::span<const double> acc;
  double dt = 0.0;  // s
  motion_kind input_kind = motion_kind::outcrop;
  std::optional<double> input_depth;  // none: the top of the bedrock
  motion_kind output_kind = motion_kind::within;
  double output_depth = 0.0;  // the ground surface
};

// One sublayer, top down. Strains and stresses at its mid-height, motions at its top; velocity
// and displacement relative to the top of the bedrock. Peaks over the wave's own samples.
struct sublayer_result {
  std::size_t layer = 0;    // the profile's layer it belongs to, from 0
  double top = 0.0;         // m
  double bottom = 0.0;      // m
  double vs_initial = 0.0;  // m/s
  double vs = 0.0;          // strain-compatible, sqrt(G/G0) vs_initial (m/s)
  double g_ratio = 1.0;     // G/G0
  double damping = 0.0;     // fraction of critical
  double strain_eff_pct = 0.0;
  double strain_max_pct = 0.0;
  double stress_max_kpa = 0.0;  // peak of the history G* strain
  double stress_ratio = 0.0;    // stress_max_kpa / sigma'_v at mid-height
  double pga = 0.0;             // gal
  double pgv = 0.0;             // cm/s, relative
  double pgd = 0.0;             // cm, relative
  bool beyond_table = false;    // its effective strain lies beyond its table's rows
};

// A pass: its error and the sublayer where it is largest.
struct pass_error {
  double error = 0.0;
  std::size_t sublayer = 0;
};

// |output / input| at each frequency (Hz) from 0 to the Nyquist frequency of the padded
// transform, the output being the surface's motion and the input the wave's own point.
struct transfer_function {
  std::vector<double> frequency;
  std::vector<double> amplitude;
};

// Why an analysis stopped: a strain beyond its limit or a value that is not finite, in a
// sublayer.
struct site_failure {
  std::size_t sublayer = 0;
  std::string reason;
  double value = 0.0;     // the strain (%) or damping at fault
  std::size_t layer = 0;  // the profile's layer the sublayer belongs to
};

struct site_response {
  std::vector<double> acc;  // the output motion (gal), the input's samples and step
  std::vector<sublayer_result> sublayers;
  std::vector<pass_error> passes;       // one per propagation; the linear method's error is 0
  bool converged = false;               // the last error is below the tolerance
  transfer_function initial;            // small-strain properties
  transfer_function compatible;         // the properties of the returned results
  std::optional<site_failure> failure;  // when set, the rest is incomplete
};

// The largest peak strain (%) an analysis accepts: beyond it a soil has failed and
// equivalent-linear properties mean nothing.
inline constexpr double strain_limit_pct = 10.0;

// The transform length: the smallest power of two at least twice the samples, so that the
// response rings down in the padding instead of wrapping onto the wave's start.
std::size_t padded_length(std::size_t samples);

// The analysis of a valid profile (see check_profile) with a wave of at least one sample.
site_response analyse_site(const site_profile& profile, const site_motion& motion);

}  // namespace site
