// Band-limited resampling: a smooth pulse of known frequencies is sampled at one step and
// resampled to another; the result is compared with the pulse evaluated directly at the new
// times. The step a fit uses, and which step changes are powers of two.
#include "motion/resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace {

// Two sinusoids (3 Hz and 11 Hz) under a Hann window from 1 s to 9 s: its spectrum lies well
// below 25 Hz, the Nyquist frequency of 0.02 s, to a few millionths of its peak.
double pulse(double t) {
  if (t <= 1.0 || t >= 9.0) return 0.0;
  const double pi = std::numbers::pi;
  const double w = 0.5 - 0.5 * std::cos(2.0 * pi * (t - 1.0) / 8.0);
  return w * (100.0 * std::sin(2.0 * pi * 3.0 * t) + 40.0 * std::cos(2.0 * pi * 11.0 * t));
}

std::vector<float> sampled(double dt, std::size_t n) {
  std::vector<float> x(n);
  for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<float>(pulse(static_cast<double>(i) * dt));
  return x;
}

TEST(resample, equals_the_band_limited_wave_at_the_new_times) {
  struct row {
    double dt;
    std::size_t n;  // samples over 10 s
    std::int32_t factor;
    std::size_t count;  // (n-1)*factor + 1, or (n-1)/|factor| + 1
  };
  // Whole factors that are no power of two (3, 5, 10) take the shifted-phase path.
  for (const row& c : {row{0.02, 501, 2, 1001}, row{0.02, 501, 4, 2001}, row{0.005, 2001, -2, 1001},
                       row{0.025, 401, 1, 401}, row{0.02, 501, 3, 1501}, row{0.02, 501, 5, 2501},
                       row{0.02, 501, 10, 5001}}) {
    const std::vector<float> out = motion::resample(sampled(c.dt, c.n), c.factor);
    ASSERT_EQ(out.size(), c.count) << c.factor;
    const double step = c.factor > 0 ? c.dt / c.factor : c.dt * -c.factor;
    for (std::size_t m = 0; m < out.size(); ++m) {
      // Within 1e-5 of the 140 gal peak (the window's tails reach past 25 Hz by that much);
      // straight lines between the samples would miss the 11 Hz part by about 2 gal.
      EXPECT_NEAR(out[m], pulse(static_cast<double>(m) * step), 1e-3) << c.factor << " " << m;
    }
  }
  // Nothing to interpolate, a coarser step by a factor that is no power of two, or beyond 64:
  // no wave.
  EXPECT_TRUE(motion::resample(std::vector<float>(1, 1.0f), 2).empty());
  EXPECT_TRUE(motion::resample(sampled(0.02, 501), -3).empty());
  EXPECT_TRUE(motion::resample(sampled(0.02, 501), 65).empty());
  EXPECT_TRUE(motion::resample(sampled(0.02, 501), 128).empty());
}

TEST(resample, the_fit_step_and_the_factor_between_two_steps) {
  struct step_row {
    float dt;
    bool keep;
    float want;
    std::int32_t factor;
  };
  // Half of the window's 0.02 s is 0.01 s: coarser steps are divided by the smallest whole
  // factor that reaches it (0.025 s by 3, not by 4; 0.1 s by 10, not by 16).
  for (const step_row& c :
       {step_row{0.02f, false, 0.01f, 2}, step_row{0.01f, false, 0.01f, 1},
        step_row{0.005f, false, 0.005f, 1}, step_row{0.025f, false, 0.025f / 3.0f, 3},
        step_row{0.1f, false, 0.01f, 10}, step_row{0.04f, false, 0.01f, 4},
        step_row{0.02f, true, 0.02f, 1}}) {
    const motion::fit_step s = motion::fit_step_for(c.dt, 0.02f, c.keep);
    EXPECT_EQ(s.dt, c.want) << c.dt;
    EXPECT_EQ(s.factor, c.factor) << c.dt;
  }
  struct factor_row {
    double dt, new_dt;
    std::optional<std::int32_t> factor;
  };
  for (const factor_row& c :
       {factor_row{0.02, 0.01, 2}, factor_row{0.005, 0.01, -2}, factor_row{0.01, 0.01, 1},
        factor_row{0.02, 0.00125, 16}, factor_row{0.02, 0.015, std::nullopt},
        factor_row{0.02, 0.02 / 128, std::nullopt}, factor_row{0.02, 0.0, std::nullopt}}) {
    EXPECT_EQ(motion::resample_factor(c.dt, c.new_dt), c.factor) << c.dt << " " << c.new_dt;
  }
}

}  // namespace
