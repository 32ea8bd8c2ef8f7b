// The four acceptance measures of a spectrum against the design target, over the period
// windows 0.02..10 s (measures 1, 3, 4) and 1..5 s (measure 2), window ends included.
#pragma once

#include <cstdint>
#include <span>

#include "motion/grid.h"

namespace motion {

// The shortest period (s) of the window of measures 1, 3 and 4.
inline constexpr float window_shortest_period = 0.02f;

struct criteria {
  float cr1;  // smallest ratio computed/target over 0.02..10 s; 9999 when the window is empty
  float cr2;  // sum of computed over sum of target over 1..5 s
  float cr3;  // root-mean-square deviation of the ratio from 1 over 0.02..10 s
  float cr4;  // mean ratio over 0.02..10 s
};

// The limits a design wave must meet: cr1 >= 0.85, cr2 >= 1.0, cr3 <= 0.05, cr4 >= 0.95.
inline constexpr float cr1_limit = 0.85f;
inline constexpr float cr2_limit = 1.0f;
inline constexpr float cr3_limit = 0.05f;
inline constexpr float cr4_limit = 0.95f;

// Which measures meet their limit (a NaN meets none).
struct criteria_verdict {
  bool cr1, cr2, cr3, cr4;
  bool all() const { return cr1 && cr2 && cr3 && cr4; }
};
criteria_verdict judge(const criteria& c);

// Sums of the measures, fed one grid point at a time in increasing j, in float.
class criteria_sums {
 public:
  void add(float period, float sa, float target);
  criteria finish() const;

 private:
  std::int32_t ncr_ = 0;
  float cr1_ = 9999.0f;
  float cr2a_ = 0.0f, cr2b_ = 0.0f, cr3_ = 0.0f, cr4_ = 0.0f;
};

// The measures of the spectrum sa against the target, both in gal at grid points j = 2..nom
// (element j-1), fed in increasing j.
criteria criteria_of(const grid& g, std::span<const float> sa, std::span<const float> target);

}  // namespace motion
