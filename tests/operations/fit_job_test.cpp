// One fit's set-up, the road `wavetool fit` and every suite fit share: the settings reach the fit
// as asked and aimed at the target, a coarse wave is fitted at the finer step, and a wave that
// cannot be fitted is refused once, in the caller's words for cutting it, told as recorded.
#include "operations/fit_job.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using wavetool::fit_job_setup;
using wavetool::fit_settings;

// n samples of a slow sine at dt (s).
wavetool::wave sine_wave(std::size_t n, float dt) {
  wavetool::wave w;
  w.dt = dt;
  for (std::size_t i = 0; i < n; ++i)
    w.acc.push_back(50.0f * std::sin(0.3f * static_cast<float>(i)));
  return w;
}

TEST(fit_job, settings_reach_the_fit_as_asked_and_aimed_at_the_target) {
  fit_settings asked;
  asked.design.corners = {1.0f, 10.0f, 25.0f, 30.0f};
  asked.design.max_iterations = 7;
  asked.design.rest = false;
  const wavetool::spectrum_request bedrock;
  const fit_job_setup plain =
      wavetool::set_up_fit(sine_wave(4000, 0.01f), "w.csv", bedrock, asked, "-");
  ASSERT_TRUE(plain.ok());
  EXPECT_EQ(plain.job.settings.corners.tc, 10.0f);
  EXPECT_EQ(plain.job.settings.max_iterations, 7);
  EXPECT_FALSE(plain.job.settings.rest);
  EXPECT_FALSE(plain.job.pgd_given);
  EXPECT_EQ(plain.job.settings.max_pgd, 400.0);  // the bedrock's 4 m
  EXPECT_EQ(plain.job.input.recorded_step, 0.0f);
  asked.max_pgd = 250.0;
  const fit_job_setup given =
      wavetool::set_up_fit(sine_wave(2000, 0.02f), "w.csv", bedrock, asked, "-");
  ASSERT_TRUE(given.ok());
  EXPECT_TRUE(given.job.pgd_given);
  EXPECT_EQ(given.job.settings.max_pgd, 250.0);
  // 0.02 s is coarser than half the window's 0.02 s: fitted at 0.01 s, 2 * 2000 - 1 samples.
  EXPECT_EQ(given.job.input.w.dt, 0.01f);
  EXPECT_EQ(given.job.input.w.acc.size(), 3999u);
  EXPECT_EQ(given.job.settings.recorded_step, 0.02f);
  asked.keep_step = true;
  const fit_job_setup kept =
      wavetool::set_up_fit(sine_wave(2000, 0.02f), "w.csv", bedrock, asked, "-");
  ASSERT_TRUE(kept.ok());
  EXPECT_EQ(kept.job.input.w.dt, 0.02f);
  EXPECT_EQ(kept.job.input.w.acc.size(), 2000u);
}

TEST(fit_job, a_wave_that_cannot_be_fitted_is_refused_in_the_callers_words) {
  struct row {
    std::size_t samples;
    float dt;
    const char* message;
  };
  const row rows[] = {
      {131073, 0.01f,
       "expected at most 131072 samples, found 131073 (cut a window with the record's start and "
       "end)"},
      // Too long already at its own step: told as recorded, not as the 1310721 resampled.
      {131073, 0.1f,
       "expected at most 131072 samples, found 131073 (cut a window with the record's start and "
       "end)"},
      // Fine at its own step, too long at 0.01 s: (14000 - 1) * 10 + 1 samples.
      {14000, 0.1f,
       "expected at most 131072 samples, found 139991 after resampling its 14000 samples at 0.1 s "
       "to 0.01 s (cut a window of at most 1310.71 s with the record's start and end)"},
      // 64 samples last 0.64 s: no period of the grid reaches criterion 2's 1 s.
      {64, 0.01f,
       "criterion 2 cannot be judged: no period of 64 samples at 0.01 s lies in its window 1..5 s"},
  };
  for (const row& r : rows) {
    const fit_job_setup s = wavetool::set_up_fit(sine_wave(r.samples, r.dt), "t/w", {}, {},
                                                 "the record's start and end");
    ASSERT_FALSE(s.ok()) << r.message;
    EXPECT_EQ(s.refused->file, "t/w");
    EXPECT_EQ(s.refused->line, 0);
    EXPECT_EQ(s.refused->message, r.message);
  }
}

}  // namespace
