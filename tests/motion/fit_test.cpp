// The arithmetic of one fit iteration: correction, symmetric fill, rebuilt wave, measures, and
// the thinning of the spectra table's rows.
#include "motion/fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "motion/spectra_table.h"
#include "numeric/fft.h"

namespace {

using motion::cplx;

TEST(correction, multiplies_by_the_target_then_divides_by_the_response) {
  EXPECT_EQ(motion::corrected({3.0f, -4.0f}, 800.0f, 400.0f), cplx(6.0f, -8.0f));
  EXPECT_EQ(motion::corrected({0.1f, 0.0f}, 3.0f, 3.0f).real(), 0.1f * 3.0f / 3.0f);
  EXPECT_TRUE(std::isnan(motion::corrected({0.0f, 0.0f}, 800.0f, 0.0f).real()));
  // nf = 8: points 2..4 are mirrored onto 8..6; point 1 and the Nyquist point 5 stay.
  std::vector<cplx> a = {{9, 9}, {1, 2}, {3, 4}, {5, 6}, {7, 8}, {0, 0}, {0, 0}, {0, 0}, {4, 4}};
  motion::mirror_fill(a, 8);
  EXPECT_EQ(a, (std::vector<cplx>{
                   {9, 9}, {1, 2}, {3, 4}, {5, 6}, {7, 8}, {5, -6}, {3, -4}, {1, -2}, {4, 4}}));
}

TEST(shaping, envelope_to_the_power_ampfac) {
  for (float e : {0.0f, 0.0625f, 0.099999994f, 1.0f}) {
    EXPECT_EQ(motion::shaping(e, 0.0f), 1.0f) << e;  // no shaping, even where eamp = 0
    EXPECT_EQ(motion::shaping(e, 1.0f), e) << e;     // the envelope itself
  }
  EXPECT_EQ(motion::shaping(0.0f, 0.1f), 0.0f);
  EXPECT_EQ(motion::shaping(0.0625f, 0.25f), 0.5f);
}

// With a uniform ratio r of target to computed spectrum the iteration returns r times the
// previous wave less its mean over the transform, times the envelope's shaping.
TEST(correct_and_rebuild, uniform_ratio_scales_the_wave_less_its_mean) {
  constexpr int nf = 64;
  const motion::grid g = motion::make_grid(nf, 0.01f, nf);
  std::vector<float> x(nf), eamp(nf), ddy(nf);
  double mean = 0.0;
  for (std::size_t i = 0; i < nf; ++i) {
    x[i] = 100.0f * std::sin(0.37f * static_cast<float>(i)) + 20.0f + static_cast<float>(i % 7);
    eamp[i] = static_cast<float>(i) / nf;
    mean += double{x[i]} / nf;
  }
  for (float ratio : {1.0f, 2.0f}) {
    for (float ampfac : {0.0f, 0.5f, 1.0f}) {
      std::vector<cplx> fds(nf), fds1(nf);
      motion::forward_coefficients(g, x, fds);
      const std::vector<float> target(nf, 512.0f * ratio), current(nf, 512.0f);
      motion::correct_and_rebuild(g, ampfac, eamp, target, current, {fds, fds1, ddy});
      for (std::size_t i = 0; i < nf; ++i) {
        const double want =
            double{ratio} * (double{x[i]} - mean) * std::pow(double{eamp[i]}, double{ampfac});
        EXPECT_NEAR(ddy[i], want, 2e-3) << "ratio " << ratio << " ampfac " << ampfac << " i " << i;
      }
    }
  }
}

TEST(criteria, measures_over_their_period_windows) {
  struct point {
    float period, sa, target;
  };
  const auto measure = [](std::initializer_list<point> points) {
    motion::criteria_sums sums;
    for (const point& p : points) sums.add(p.period, p.sa, p.target);
    return sums.finish();
  };
  // Ratios 0.9, 1.0 and 1.1 inside 0.02..10 s; nothing in 1..5 s gives 0/0.
  motion::criteria c = measure({{0.5f, 0.9f, 1.0f}, {0.3f, 1.0f, 1.0f}, {6.0f, 1.1f, 1.0f}});
  EXPECT_EQ(c.cr1, 0.9f);
  EXPECT_NEAR(c.cr3, std::sqrt(0.02 / 3.0), 1e-6);
  EXPECT_NEAR(c.cr4, 1.0, 1e-6);
  EXPECT_TRUE(std::isnan(c.cr2));
  c = measure({{1.5f, 500.0f, 512.0f}, {2.0f, 300.0f, 256.0f}});
  EXPECT_FLOAT_EQ(c.cr2, 800.0f / 768.0f);
  c = measure({{20.0f, 400.0f, 800.0f}, {0.01f, 400.0f, 800.0f}});  // empty main window
  EXPECT_EQ(c.cr1, 9999.0f);
  EXPECT_TRUE(std::isnan(c.cr3) && std::isnan(c.cr4));
  // Both ends of each window count; the next float beyond does not.
  struct edge {
    float period;
    bool main, secondary;
  };
  for (const edge& e :
       {edge{0.02f, true, false}, edge{10.0f, true, false}, edge{1.0f, true, true},
        edge{5.0f, true, true}, edge{0.019999998f, false, false}, edge{10.000001f, false, false},
        edge{0.99999994f, true, false}, edge{5.0000005f, true, false}}) {
    c = measure({{e.period, 400.0f, 800.0f}});
    EXPECT_EQ(c.cr1, e.main ? 0.5f : 9999.0f) << e.period;
    EXPECT_EQ(c.cr2 == 0.5f, e.secondary) << e.period;
  }
}

// Each limit is met exactly at its value and missed one float step past it, on the side the
// comparison names (cr1 >= 0.85, cr2 >= 1.0, cr3 <= 0.05, cr4 >= 0.95); the other measures sit
// comfortably inside.
TEST(judge, each_limit_met_at_its_value_and_missed_one_step_past) {
  const motion::criteria inside{0.9f, 1.1f, 0.01f, 1.0f};
  struct row {
    int k;  // 1..4
    float value;
    bool met;
  };
  const row rows[] = {
      {1, 0.85f, true},
      {1, std::nextafter(0.85f, 0.0f), false},
      {1, std::nextafter(0.85f, 1.0f), true},
      {2, 1.0f, true},
      {2, std::nextafter(1.0f, 0.0f), false},
      {2, std::nextafter(1.0f, 2.0f), true},
      {3, 0.05f, true},
      {3, std::nextafter(0.05f, 1.0f), false},
      {3, std::nextafter(0.05f, 0.0f), true},
      {4, 0.95f, true},
      {4, std::nextafter(0.95f, 0.0f), false},
      {4, std::nextafter(0.95f, 1.0f), true},
      {1, NAN, false},
      {3, NAN, false},
  };
  for (const row& r : rows) {
    motion::criteria c = inside;
    float* const values[] = {&c.cr1, &c.cr2, &c.cr3, &c.cr4};
    *values[r.k - 1] = r.value;
    const motion::criteria_verdict v = motion::judge(c);
    const bool met[] = {v.cr1, v.cr2, v.cr3, v.cr4};
    for (int k = 1; k <= 4; ++k) {
      EXPECT_EQ(met[k - 1], k == r.k ? r.met : true) << "criterion " << r.k << " at " << r.value;
    }
    EXPECT_EQ(v.all(), r.met);
  }
}

// Distances are measured from the last row kept, fed in increasing period. In single precision
// 0.03f - 0.02f is exactly 0.01f (kept); 0.06f - 0.05f and 0.51f - 0.5f fall just below it.
TEST(row_thinning, distance_is_measured_from_the_last_row_kept) {
  struct row {
    float period;
    bool kept;
  };
  const row rows[] = {{0.02f, true},    {0.025f, false}, {0.0299f, false}, {0.03f, true},
                      {0.0399f, false}, {0.04f, true},   {0.05f, true},    {0.06f, false},
                      {0.0601f, true},  {0.5f, true},    {0.51f, false},   {0.5101f, true},
                      {2.0f, true},     {4.0f, true}};
  motion::row_thinning thinning;
  for (const row& r : rows) EXPECT_EQ(thinning.keep(r.period), r.kept) << r.period;
}

}  // namespace
