// Designing a wave that meets all four acceptance measures and comes to rest: fitwave's
// iteration (correction by target/computed at every Fourier frequency, inverse transform,
// envelope), limited where that ratio alone cannot fit (empty_band.h, correction_limits.h,
// peak_control.h; their switches and constants in fit_tuning.h), followed after every rebuild by
// the removal of the drift, and judged on the wave exactly as the fitted-wave file holds it. It
// stops as soon as the wave passes.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <vector>

#include "motion/criteria.h"
#include "motion/design_spectrum.h"
#include "motion/fit.h"
#include "motion/fit_tuning.h"
#include "motion/grid.h"
#include "motion/prepared_fit.h"
#include "motion/response_spectrum.h"
#include "motion/rest.h"

namespace motion {

// Rounds exact[i] into written[i], each to one of the two values of written_digits (four, for
// E12.4) significant digits around it (read back into single precision): the nearer one unless the
// other keeps the running sum of rounding errors smaller. Nearest rounding alone leaves a random
// walk of about a centimetre at the end of the displacement; this keeps the sum within one digit.
// Non-finite values pass unchanged.
void round_as_written(std::span<const double> exact, std::span<float> written);

// Periods (s) between which the correction fades out: below the first it aims at the target,
// beyond the second it never amplifies.
struct long_period_taper {
  float full = 0.0f;
  float none = 0.0f;
};

// The fade for a window ending at longest (s): from fade.full to fade.none times it (1.2 and
// 1.6). An oscillator at the window's end responds to periods some 10 % around its own, so the
// target is aimed at a little beyond; further out, content the measures never see would only add
// displacement. With the fade off both lie at infinity: the target at every period.
constexpr long_period_taper taper_for(float longest, const fade_tuning& fade = {}) {
  if (!fade.on) {
    return {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity()};
  }
  const auto t = static_cast<double>(longest);
  return {static_cast<float>(fade.full * t), static_cast<float>(fade.none * t)};
}

// The spectrum the correction aims at, at grid points j = 2..nom (element j-1): the target up to
// taper.full; beyond taper.none the wave's own content, the smaller of the input's spectrum and
// the current one (so what leaks there from shorter periods is brought back, and nothing is
// raised); between them the geometric blend own*(target/own)^w, w falling from 1 to 0 as a half
// cosine in period.
void correction_aim(const grid& g, const long_period_taper& taper, std::span<const float> target,
                    std::span<const float> input, std::span<const float> current,
                    std::span<float> aim);

// The largest peak displacement (cm) of a passing wave at rest for target s: the bedrock's limit
// (bedrock_pgd_limit, 4 m), raised in proportion where the target's level at 10 s
// (limit.level_period) lies above the bedrock spectrum's (the soil's amplification at the
// surface, a zone factor above 1, a damping below 5 %), never lowered. A table that does not
// reach 10 s keeps the bedrock's limit.
double plausible_pgd(const design_spectrum& s, const displacement_tuning& limit = {});

struct design_settings {
  corner_times corners;
  std::int32_t max_iterations = 30;
  bool rest = true;     // remove the drift after every rebuild
  float ampfac = 1.0f;  // exponent of the envelope applied at every rebuild
  // Threads of the spectrum engine (<= 0: one per hardware thread). Fits run side by side take
  // one each; the result does not depend on it.
  int threads = 0;
  // The heuristics added to fitwave's correction, each with its switch and constants.
  fit_tuning tuning;
  // The step (s) the wave was recorded at when it was resampled to a finer one; 0: its own.
  float recorded_step = 0.0f;
  // A run stops when this many iterations in a row have not come closer to passing than the
  // best one before them.
  std::int32_t patience = 20;
  // The largest peak displacement (cm) of a passing wave at rest, where tuning.displacement is on;
  // plausible_pgd of the target.
  double max_pgd = bedrock_pgd_limit;
  // The spectrum to fit (gal) at grid points j = 2..nom of the wave's grid (element j-1); empty:
  // the bedrock design spectrum.
  std::vector<float> target;
  // Damping ratio of the oscillators, the spectrum's own.
  float damping = response_spectrum::h;
  // The window of criteria 1, 3 and 4 (s); the fade of the aim follows its end (taper_for).
  period_window judged = judged_window;
};

// What one iteration reached, for the progress display.
struct iteration_report {
  std::int32_t iteration = 0;
  criteria measures{};
  end_motion end;
  double pgv = 0.0;  // cm/s
  double pgd = 0.0;  // cm
};

// The checks an iteration must pass: the four criteria and, unless rest is off, rest and the
// peak displacement (the last where tuning.displacement is on).
enum class fit_check { criterion, rest, displacement };

// One check an iteration fails, with its violation relative to the limit (criterion 3 at 0.06
// is 0.2, criterion 1 at 0.80 is 0.059); criterion: 0..3 for a criterion's check.
struct failed_check {
  fit_check check = fit_check::criterion;
  std::size_t criterion = 0;
  double violation = 0.0;
};

// Every check x fails under settings, in the order above: what the fit steers by and what its
// verdict names.
std::vector<failed_check> failed_checks(const iteration_report& x, const design_settings& settings);

// How far an iteration is from passing: how many of its checks fail, and the largest violation
// among them.
struct fit_shortfall {
  std::int32_t failed = 0;
  double worst = 0.0;
  bool better_than(const fit_shortfall& other) const {
    return failed != other.failed ? failed < other.failed : worst < other.worst;
  }
};
fit_shortfall shortfall_of(std::span<const failed_check> failed);
fit_shortfall shortfall_of(const iteration_report& x, const design_settings& settings);

struct design_result {
  grid g;
  float ampfac = 1.0f;
  std::vector<float> wave;           // nt samples of the kept iteration, as the file holds them
  std::vector<float> eamp;           // the envelope at every sample, nf values
  std::vector<float> target;         // the spectra at grid points j = 2..nom, element j-1
  std::vector<float> input_sa;       // of the wave given
  std::vector<float> final_sa;       // of the wave returned
  iteration_report last;             // the last iteration run
  iteration_report kept;             // the best iteration, whose wave is returned
  std::vector<failed_check> failed;  // every check the kept iteration fails
  bool passed = false;               // the kept iteration falls short in nothing
  bool stopped_early = false;        // no progress in settings.patience iterations
  unfit_reason reason = unfit_reason::none;  // why nothing was fitted
};

// Fits wave (gal, at step dt), calling on_iteration after every iteration, until an iteration
// passes, the limit comes or the run stops making progress; returns the best iteration. A wave
// that fit_refusal refuses, or a target of another size, gives an empty result that has not
// passed, with the reason.
design_result design_fit(std::span<const float> wave, float dt, const design_settings& settings,
                         const std::function<void(const iteration_report&)>& on_iteration);

}  // namespace motion
