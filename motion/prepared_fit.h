// The set-up every fit starts from, made once for fitwave, `wavetool fit` and `wavetool check`:
// the grid of the wave, its Fourier coefficients, the target, the envelope and the input's
// response spectrum, or the reason the wave cannot be fitted.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "motion/criteria.h"
#include "motion/fit.h"
#include "motion/grid.h"
#include "motion/response_spectrum.h"

namespace motion {

// Why a wave cannot be fitted: fewer than two samples, a first step that is not a positive
// finite number, more samples than wavetool's longest transform (max_design_transform_length;
// fitwave refuses beyond its own first), or a criterion whose period window holds no grid
// period (its measure would be 9999 or NaN).
enum class unfit_reason { none, too_few_samples, bad_time_step, too_many_samples, empty_window };

// The arrays a fit works on, held by the caller (fitwave at fixed capacity, the others at the
// wave's size): ddy holds the wave in its first nt samples; fds and eamp take nf values, target
// and input_sa nom (grid points j = 2..nom, element j-1).
struct fit_arrays {
  std::span<const float> ddy;
  std::span<cplx> fds;
  std::span<float> target;
  std::span<float> eamp;
  std::span<float> input_sa;
};

// The reason a wave of nt samples at step dt cannot be fitted, or none. Needs no arrays.
// judged: the window of criteria 1, 3 and 4.
unfit_reason fit_refusal(std::int32_t nt, float dt, const period_window& judged = judged_window);

// Sets up the fit of a wave that fit_refusal does not refuse for too few or too many samples or
// its step: the grid of nt samples at dt, the coefficients, the design target, the envelope of
// the corners and the input's spectrum. The empty window is the caller's to refuse or not.
grid prepare_fit(std::int32_t nt, float dt, const corner_times& corners, const fit_arrays& a,
                 response_spectrum& spectrum);

// The same set-up held in its own arrays, each sized once; the input's spectrum at damping, the
// computable windows with judged as the window of criteria 1, 3 and 4.
struct prepared_fit {
  grid g;
  std::vector<float> ddy;  // the wave, zero from nt up to nf
  std::vector<cplx> fds;
  std::vector<float> target;
  std::vector<float> eamp;
  std::vector<float> input_sa;
  std::array<bool, criteria_count> computable{};  // for each criterion
  unfit_reason reason = unfit_reason::none;       // when not none, only g and computable are set
};
prepared_fit prepare_fit(std::span<const float> wave, float dt, const corner_times& corners,
                         float damping = response_spectrum::h,
                         const period_window& judged = judged_window);

}  // namespace motion
