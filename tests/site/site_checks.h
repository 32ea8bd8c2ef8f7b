// What every analysis in these tests is held to, and the real record they run on.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "site/analysis.h"
#include "site/column.h"
#include "site/curves.h"

namespace site_test {

// The reported G/G0 and damping are the properties the returned waves were computed with, and
// equal the curves at strain_ratio x the reported peak strain to within the last pass's error,
// which is below the tolerance when converged. The largest gap is that error itself.
inline void expect_consistent(const site::site_profile& profile, const site::site_response& r) {
  ASSERT_FALSE(r.failure) << r.failure->reason;
  ASSERT_FALSE(r.passes.empty());
  double largest = 0.0;
  for (const site::sublayer_result& s : r.sublayers) {
    const site::curve_value want =
        site::curve_at(profile.layers[s.layer].curve, profile.strain_ratio * s.strain_max_pct,
                       site::layer_mean_stress(profile, s.layer));
    EXPECT_DOUBLE_EQ(s.strain_eff_pct, profile.strain_ratio * s.strain_max_pct);
    largest = std::max(
        {largest, std::abs(want.g_ratio - s.g_ratio) / want.g_ratio,
         want.damping == s.damping ? 0.0 : std::abs(want.damping - s.damping) / want.damping});
  }
  EXPECT_NEAR(largest, r.passes.back().error, 1e-12);
  if (r.converged) {
    EXPECT_LT(largest, profile.tolerance);
  }
}

// A wave given at the top of the bedrock as an outcrop motion, taken out at the surface.
inline site::site_motion bedrock_outcrop(std::span<const double> acc, double dt) {
  site::site_motion motion;
  motion.acc = acc;
  motion.dt = dt;
  return motion;
}

// A PEER NGA record (g, 5 values a line after a 4-line header) in gal.
inline std::vector<double> read_peer_record(const std::string& path, double& dt) {
  std::ifstream in(path);
  std::string line;
  for (int i = 0; i < 3; ++i) std::getline(in, line);
  std::getline(in, line);
  std::size_t npts = 0;
  std::sscanf(line.c_str(), "NPTS= %zu, DT= %lf", &npts, &dt);
  std::vector<double> gal;
  double g = 0.0;
  while (gal.size() < npts && in >> g) gal.push_back(g * 980.665);
  return gal;
}

}  // namespace site_test
