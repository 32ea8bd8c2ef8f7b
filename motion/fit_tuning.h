// The design fit's tuning: each heuristic it adds to fitwave's plain correction (target/computed
// at every Fourier frequency), switched on or off by its own flag, with the constants it works
// with. Each note says what a field does and the trial that set it. The trials are recorded in
// docs/fit-trials.md, the method they serve in docs/design-fit.md; "failed N" counts the failing
// cases of the 366 of build/bench/fit_trial_set at that round, unless it says otherwise.
#pragma once

#include <cstddef>

namespace motion {

// The largest peak displacement (cm) of a passing wave at rest for the bedrock spectrum: about
// three times the 1.3 m of spectral displacement its constant pseudo-velocity implies at 10 s.
inline constexpr double bedrock_pgd_limit = 400.0;

// The fade of the aim beyond the judged window, in multiples of the window's longest period.
struct fade_tuning {
  bool on = true;     // off: the target is aimed at up to the longest grid period
  double full = 1.2;  // the target up to here; 12-16 s failed 9, 15-20 s 12, 13-18 s 11, 11-14 s 11
  double none = 1.6;  // the wave's own content from here, never raised; 12-15 s failed 9 (3.48 m)
};

// Content for the band a wave lacks (empty_band.h).
struct lacking_band_tuning {
  // Off: the band stays empty; 42 of the 54 failing cases of the first trials were such waves
  // (El Centro given at 0.005 s ended at criterion 3 0.15).
  bool on = true;
  // A band is empty below this part of the mean modulus of the octave below it: a resampled or
  // low-passed record holds nothing there, a record's own fall-off is far slower (not trialled).
  double empty_level = 0.01;
  // The band judged above coefficient k is k/band_parts wide: about a sixth of an octave
  // (2^(1/6) = 1.12), narrow enough to find where the band starts within a few coefficients.
  std::size_t band_parts = 8;
  std::size_t narrowest_band = 2;  // coefficients, where k/band_parts would be fewer
};

// How the exponent of a ratio changes from one iteration to the next, in the top band and in the
// rest of the judged window alike.
struct exponent_steps {
  float growth = 1.5f;  // the exponent grows by half while the ratio keeps its sign (not trialled)
  float fall = 0.5f;    // and halves when the sign changes, so an overshoot settles (not trialled)
  // The most a coefficient's correction moves it in one iteration, up or down: 2 failed 11, 4
  // failed 12, 8 failed 13.
  float max_step = 4.0f;
};

// The top band, where a coefficient is corrected through its neighbours (correction_limits.h).
struct top_band_tuning {
  // Off: each coefficient there corrected on its own, with the rest of the window's exponent
  // (criterion 3 of seed 2 with corners 2,20,40,60 wound up from 0.04 to 0.68).
  bool on = true;
  float steps = 3.0f;  // the band: periods below this many time steps; 2.5 failed 14, 4 14, 5 28
  // Half-width of the averaging, a fraction of the grid points: 3 % failed 42, 7 % 11, 10 % 12,
  // 13 % 14.
  float neighbours = 0.1f;
  float max_weight = 8.0f;   // the largest exponent: 4 failed 12, 16 failed 10 at 40 % more time
  float min_weight = 0.25f;  // the least exponent after the sign changes (not trialled)
};

// The exponent of a ratio that keeps its sign in the rest of the judged window.
struct exponent_tuning {
  // Off: fitwave's ratio; on the 540 cases two short records failed and a pass took up to 29
  // iterations.
  bool on = true;
  // The largest exponent: with 3, also beyond 10 s, the largest passed PGD for soil 2 was 6.3 m.
  float max_weight = 2.0f;
  float min_weight = 0.5f;  // never below 1: two other short records failed, oscillating
};

// The lift of the aim over 1..5 s, the periods of criterion 2.
struct lift_tuning {
  // Off: the 540 cases still passed, in up to 17, 16 and 26 iterations (21, 29, 18 with it); kept
  // because criterion 2 alone failed that way in the first trials, and one more of 120 records of
  // 10-12 s passes with it.
  bool on = true;
  float margin = 0.01f;  // criterion 2 is aimed at 1 + margin (0.99997 after 30 iterations without)
  float most = 1.03f;    // the most the aim is raised
};

// Holding the peak acceleration to the target at the shortest judged period (peak_control.h).
struct peak_hold_tuning {
  bool on = true;      // off: failed 9 (seed 17 11 % high at 0.02 s, seeds 2 and 5 13-14 % low)
  float low = 0.95f;   // a peak giving less than this ratio there is raised: 0.93, 0.97 failed 2
  float high = 1.02f;  // one giving more is lowered: 1.00 failed 2, 1.01 and 1.03 0
  float aim = 1.0f;    // to this ratio: 0.99 failed 1
  float max_change = 1.25f;  // the most a half-cycle is scaled in one iteration (not trialled)
  // Held only where the spectrum there lies within this of the peak acceleration (within 1.5 %
  // in every trial case at 0.01 s); 5 % failed 0 as well.
  float stiff = 0.1f;
};

// The displacement a passing wave may reach (plausible_pgd in design_fit.h).
struct displacement_tuning {
  bool on = true;  // off: a wave that meets every criterion at rest passes whatever its PGD
  // cm, for the bedrock spectrum: three times the 1.3 m its pseudo-velocity gives at 10 s; the
  // largest PGD passed on the 540 cases against it is 3.61 m.
  double bedrock_limit = bedrock_pgd_limit;
  double level_period = 10.0;  // s, where a target's level is compared with the bedrock's
};

// Every heuristic of the design fit, as design_settings holds it.
struct fit_tuning {
  fade_tuning fade;
  lacking_band_tuning lacking_band;
  exponent_steps steps;
  top_band_tuning top_band;
  exponent_tuning exponent;
  lift_tuning lift;
  peak_hold_tuning peak_hold;
  displacement_tuning displacement;
};

// Whether period (s) lies in the top band of a wave sampled at dt (s).
inline bool in_top_band(float period, float dt, const top_band_tuning& band) {
  return period < band.steps * dt;
}

}  // namespace motion
