#include "motion/ran0.h"

namespace motion {
namespace {

constexpr std::int32_t mask = 123459876;
constexpr std::int32_t ia = 16807;
constexpr std::int32_t im = 2147483647;
constexpr std::int32_t iq = 127773;  // im / ia
constexpr std::int32_t ir = 2836;    // im % ia
constexpr double am = 1.0 / 2147483647.0;

}  // namespace

double ran0(std::int32_t& idum) {
  idum ^= mask;
  // Schrage's factorisation keeps 16807 * x mod (2^31 - 1) inside 32 bits for every x.
  const std::int32_t k = idum / iq;
  idum = ia * (idum - k * iq) - ir * k;
  if (idum < 0) idum += im;
  const double ans = am * idum;
  idum ^= mask;
  return ans;
}

}  // namespace motion
