// The four acceptance measures of a spectrum against the design target, over the period
// windows 0.02..10 s (measures 1, 3, 4) and 1..5 s (measure 2), window ends included.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "motion/design_spectrum.h"
#include "motion/grid.h"

namespace motion {

struct criteria {
  float cr1;  // smallest ratio computed/target over 0.02..10 s; 9999 when the window is empty
  float cr2;  // sum of computed over sum of target over 1..5 s
  float cr3;  // root-mean-square deviation of the ratio from 1 over 0.02..10 s
  float cr4;  // mean ratio over 0.02..10 s
};

// A period window (s), both ends included.
struct period_window {
  float shortest;
  float longest;
  bool holds(float period) const { return period >= shortest && period <= longest; }
};

// How a measure is held to its limit.
enum class comparison { at_least, at_most };

// One acceptance criterion: its name, the periods it is taken over, and the limit it must meet.
struct criterion_rule {
  std::string_view name;
  period_window window;
  comparison compare;
  float limit;
  std::string_view what;  // the measure, in words
};

// The window of measures 1, 3 and 4 (the design spectrum's default window, in single precision),
// and of measure 2. A later choice of window replaces them.
inline constexpr period_window judged_window{static_cast<float>(default_window_min),
                                             static_cast<float>(default_window_max)};
inline constexpr period_window sum_window{1.0f, 5.0f};
inline constexpr float window_shortest_period = judged_window.shortest;

// The criteria a design wave must meet, in the order of the measures: judging, every report
// and the verdict iterate over this table.
inline constexpr std::size_t criteria_count = 4;
inline constexpr std::array<criterion_rule, criteria_count> criteria_rules{{
    {"cr1", judged_window, comparison::at_least, 0.85f, "smallest ratio of computed to target"},
    {"cr2", sum_window, comparison::at_least, 1.0f, "sum of computed over sum of target"},
    {"cr3", judged_window, comparison::at_most, 0.05f, "rms deviation of the ratio from 1"},
    {"cr4", judged_window, comparison::at_least, 0.95f, "mean ratio of computed to target"},
}};
inline constexpr float cr1_limit = criteria_rules[0].limit;
inline constexpr float cr2_limit = criteria_rules[1].limit;
inline constexpr float cr3_limit = criteria_rules[2].limit;
inline constexpr float cr4_limit = criteria_rules[3].limit;

// The window of criterion k (0..3) when criteria 1, 3 and 4 are judged over judged: a job's own
// window replaces the table's judged_window, the 1..5 s of criterion 2 stays.
period_window window_of(std::size_t k, const period_window& judged);

// Measure k (0..3) of c, in the table's order.
float measure(const criteria& c, std::size_t k);
// Whether value meets the rule (a NaN meets none).
bool meets(const criterion_rule& rule, float value);

// Which measures meet their limit (a NaN meets none).
struct criteria_verdict {
  bool cr1, cr2, cr3, cr4;
  bool all() const { return cr1 && cr2 && cr3 && cr4; }
};
criteria_verdict judge(const criteria& c);

// Whether the window of each criterion holds a grid period (j = 2..nom): a measure over an empty
// window is no measure (9999 or NaN), and nothing can be judged by it. judged replaces the
// window of criteria 1, 3 and 4.
std::array<bool, criteria_count> computable(const grid& g,
                                            const period_window& judged = judged_window);

// Sums of the measures, fed one grid point at a time in increasing j, in float.
class criteria_sums {
 public:
  // judged: the window of criteria 1, 3 and 4.
  explicit criteria_sums(const period_window& judged = judged_window) : judged_(judged) {}
  void add(float period, float sa, float target);
  criteria finish() const;

 private:
  period_window judged_;
  std::int32_t ncr_ = 0;
  float cr1_ = 9999.0f;
  float cr2a_ = 0.0f, cr2b_ = 0.0f, cr3_ = 0.0f, cr4_ = 0.0f;
};

// The measures of the spectrum sa against the target, both in gal at grid points j = 2..nom
// (element j-1), fed in increasing j; judged is the window of criteria 1, 3 and 4.
criteria criteria_of(const grid& g, std::span<const float> sa, std::span<const float> target,
                     const period_window& judged = judged_window);

}  // namespace motion
