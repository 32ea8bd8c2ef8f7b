#include "numeric/design.h"

#include <cmath>

#include "numeric/single.h"

namespace numeric {
namespace {

// Corner circular frequencies of the target, single-precision values of 2*pi/0.64 and 2*pi/0.16.
constexpr float om1 = 9.817477f;
constexpr float om2 = 39.26991f;
// The envelope's level at td.
constexpr float decay = 0.1f;

}  // namespace

float tgtsa(float omega) {
  const float t = two_pi / omega;
  float sa = 800.0f;
  if (omega < om1) sa = 512.0f / t;
  if (omega > om2) sa = t * 3000.0f + 320.0f;
  return sa;
}

double dtgtsa(double period, double per1, double per2) {
  double sa = 800.0;
  if (period < per1) sa = period * 3000.0 + 320.0;
  if (period >= per2) sa = 512.0 / period;
  return sa;
}

float envamp(float t, float tb, float tc, float td, float te) {
  // With tb = 0 the rise would be 0/0 at t = 0 and poison the whole fit; skip it as denvamp does.
  if (t <= tb && tb != 0.0f) return (t * t) / (tb * tb);
  if (t > te) return 0.0f;
  if (t > td) {
    const float q = (te - t) / (te - td);
    return q * q * decay;
  }
  if (t > tc) {
    const float ln_decay = to_single(std::log(static_cast<double>(decay)));  // -2.3025851
    return to_single(std::exp(static_cast<double>(ln_decay * (t - tc) / (td - tc))));
  }
  return 1.0f;
}

double denvamp(double t, double tb, double tc, double td, double te, double afac) {
  if (t < tb) return (t * t) / (tb * tb);
  if (t < tc) return 1.0;
  if (t < td) return std::exp(std::log(afac) * (t - tc) / (td - tc));
  if (t < te) {
    const double q = (te - t) / (te - td);
    return q * q * afac;
  }
  return 0.0;
}

}  // namespace numeric
