// Finding the band a wave lacks, on coefficients built by hand: a band a hundred times weaker
// than the octave below it is found where it starts; a spectrum that only falls off, as a
// record's does, lacks nothing. Above the Nyquist frequency of a resampled record's own step the
// band starts at the first coefficient beyond it, and is left alone when it lies wholly at
// periods below the judged window. The band is filled at the level of the octave below.
#include "motion/empty_band.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <set>
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
      // of the octave below, under 1 %; at 998 two make it 1/62. (Over 999/12 = 83 points, 1/83
      // would be over 1 %: 1000.)
      {"nothing from 1000", [](std::size_t k) { return k < 1000 ? 1.0 : 1e-6; }, 999, 999},
      {"a thousandth from 1500", [](std::size_t k) { return k < 1500 ? 2.0 : 2e-3; }, 1499, 1500},
      // A 200th: at 999 the mean is (1 + 123/200)/124 = 1.3 % of the octave below; from 1000 on
      // 0.5 %, under 1 %. A 75th (1.33 %) is content.
      {"a 200th from 1000", [](std::size_t k) { return k < 1000 ? 1.0 : 0.005; }, 1000, 1000},
      {"a 75th from 1000", [](std::size_t k) { return k < 1000 ? 1.0 : 1.0 / 75.0; }, nom, nom},
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

// A record at a coarser step, resampled: its own Nyquist frequency 1/(2 step) lies on
// coefficient nf*dt/(2 step) (0.01 s in a transform of 4096, 40.96 s: 25 Hz is coefficient 1024,
// which holds the record's content), and the band starts at the next one. What lies wholly at
// periods below the judged window's 0.02 s is not filled: from 50 Hz (0.005 s to 0.0025 s) and
// just above 50 Hz (0.01 s to 0.005 s, coefficient 1025 at 0.01998 s). Not resampled, the
// coefficients themselves tell (empty_band_start, the row "nothing from 1000" above).
TEST(empty_band, a_resampled_record_lacks_what_lies_above_its_own_nyquist_frequency) {
  struct row {
    float dt, recorded_step;
    std::size_t first;  // 0: none (nom)
  };
  const row rows[] = {
      {0.01f, 0.02f, 1025},  // 1024 = 40.96 s / (2 * 0.02 s)
      {0.01f, 0.03f, 683},   // 40.96 / 0.06 = 682.67
      {0.005f, 0.02f, 513},  // 20.48 / 0.04 = 512
      {0.005f, 0.01f, 0},    // 1024 is 50 Hz; 1025 lies at 0.01998 s
      {0.0025f, 0.005f, 0},  // 100 Hz and above
      {0.01f, 0.01f, 999},   // its own step: what the coefficients lack
      {0.01f, 0.0f, 999},
  };
  for (const row& r : rows) {
    const motion::grid g = motion::make_grid(4096, r.dt, 4096);
    const auto nom = static_cast<std::size_t>(g.nom);
    std::vector<motion::cplx> fds(nom);
    for (std::size_t k = 1; k < 1000; ++k) fds[k] = {0.6f, 0.8f};
    const std::size_t expected = r.first == 0 ? nom : r.first;
    EXPECT_EQ(motion::lacking_band(g, fds, r.recorded_step, motion::judged_window), expected)
        << r.dt << " from " << r.recorded_step;
  }
}

// Coefficients 21..32 of a grid of 33 take the mean modulus of the octave below, coefficients
// 11..20, whose moduli are k: (11 + 20)/2 = 15.5, each with a phase of its own; the others stay,
// and a second fill gives the same coefficients.
TEST(empty_band, is_filled_at_the_level_of_the_octave_below) {
  const motion::grid g = motion::make_grid(64, 0.01f, 64);
  std::vector<motion::cplx> fds(64);
  for (std::size_t k = 0; k < 64; ++k) {
    fds[k] = std::polar(static_cast<float>(k), 0.3f * static_cast<float>(k));
  }
  const std::vector<motion::cplx> before = fds;
  motion::fill_empty_band(g, 21, fds);
  std::set<float> phases;
  for (std::size_t k = 0; k < 64; ++k) {
    if (k < 21 || k > 32) {
      EXPECT_EQ(fds[k], before[k]) << k;
      continue;
    }
    EXPECT_NEAR(std::abs(fds[k]), 15.5f, 1e-4f) << k;
    phases.insert(std::arg(fds[k]));
  }
  EXPECT_EQ(phases.size(), 12u);
  std::vector<motion::cplx> again = before;
  motion::fill_empty_band(g, 21, again);
  EXPECT_EQ(again, fds);
  // Nothing lacking: nothing changes.
  again = before;
  motion::fill_empty_band(g, 33, again);
  EXPECT_EQ(again, before);
}

}  // namespace
