// Records of the kinds the design fit meets in practice, made from the two real ones: other time
// steps (0.004 to 0.02 s), shorter and longer records (15 to 60 s), a record filtered at 25 Hz
// and given at a finer step, and near-fault velocity pulses.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "motion/criteria.h"
#include "motion/fit.h"

struct trial_wave {
  std::string name;
  std::vector<float> acc;  // gal
  float dt = 0.0f;
  motion::corner_times corners{};
};

// The first 15 and 20 s of seed number n (acc at dt), as short records.
std::vector<trial_wave> short_records(int n, std::span<const float> acc, float dt);

// elcentro at 0.02 s and rsn753 at 0.005 s, both in gal.
std::vector<trial_wave> record_variants(std::span<const float> elcentro,
                                        std::span<const float> rsn753);
