// Finding the band a wave lacks, on coefficients built by hand: a band a thousand times weaker
// than the octave below it is found where it starts; a spectrum that only falls off, as a
// record's does, lacks nothing.
#include "motion/empty_band.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(empty_band, is_found_where_the_wave_holds_nothing) {
  struct row {
    const char* name;
    double (*modulus)(std::size_t k);
    std::size_t least, most;  // where the band may start; nom: none
  };
  const motion::grid g = motion::make_grid(4096, 0.01f, 4096);  // nom 2049
  const auto nom = static_cast<std::size_t>(g.nom);
  const row rows[] = {
      // From 1000 on nothing: the averaging over about a sixth of an octave (999/8 = 124 points)
      // lets the band start one point early, where the one full coefficient makes the mean 1/124
      // of the octave below, under 1 %; at 998 two make it 1/62.
      {"nothing from 1000", [](std::size_t k) { return k < 1000 ? 1.0 : 1e-6; }, 999, 1000},
      {"a thousandth from 1500", [](std::size_t k) { return k < 1500 ? 2.0 : 2e-3; }, 1499, 1500},
      {"falling off by e^-4 to the top",
       [](std::size_t k) { return std::exp(-static_cast<double>(k) / 512.0); }, nom, nom},
      {"a tenth from 1000", [](std::size_t k) { return k < 1000 ? 1.0 : 0.1; }, nom, nom},
  };
  for (const row& r : rows) {
    std::vector<motion::cplx> fds(nom);
    for (std::size_t k = 1; k < nom; ++k) {
      const double m = r.modulus(k), phase = 0.7 * static_cast<double>(k);
      fds[k] = {static_cast<float>(m * std::cos(phase)), static_cast<float>(m * std::sin(phase))};
    }
    const std::size_t first = motion::empty_band_start(g, fds);
    EXPECT_GE(first, r.least) << r.name;
    EXPECT_LE(first, r.most) << r.name;
  }
}

}  // namespace
