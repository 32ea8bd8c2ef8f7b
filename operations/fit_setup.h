// How `wavetool fit` sets a wave up for the design fit, shared by `wavetool suite` so that a fit
// in a plan gives the bytes `wavetool fit` writes with the same options: the step the wave is
// fitted at, the spectrum it aims at with its damping and window, and what cannot be judged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "motion/criteria.h"
#include "motion/design_fit.h"
#include "operations/spectrum_request.h"
#include "operations/wave_file.h"

namespace wavetool {

// The most iterations a fit may be given, on the command line and in a plan (the default is
// motion::design_settings'): beyond it a fit that has not passed will not.
inline constexpr std::int64_t most_iterations = 1000;

// A wave at the step it is fitted at. Oscillators of period T respond to a wave sampled at dt
// only for T >= 2 dt, so a step coarser than half the window's shortest period is resampled to
// a finer one (motion/resample.h) unless keep_step.
struct fit_input {
  wave w;
  float recorded_step = 0.0f;        // s: the wave's own step when it was resampled, else 0
  std::size_t recorded_samples = 0;  // the wave's own count when it was resampled
};
fit_input fit_input_of(const wave& given, const motion::period_window& judged, bool keep_step);

// What goes after "wavetool: NAME" on standard error when the wave was resampled; empty when
// it was not.
std::string resampled_note(const fit_input& in);

// Aims s at the requested spectrum at its damping, with criteria 1, 3 and 4 over its window and
// the peak displacement held to max_pgd (cm) or else to the target's plausible one: fitwave's
// target is the fit's own, another is evaluated at the grid of the wave as fitted.
void aim_at(motion::design_settings& s, const spectrum_request& r, const fit_input& in,
            std::optional<double> max_pgd);

// Why the wave in cannot be fitted, in the user's terms, or nothing: more samples than the
// longest transform (the count and step it would be fitted at, and the longest window to cut
// with cut_with, the caller's words for a window's start and end), or the first criterion whose
// window holds no period of its grid. A wave the readers refuse (fewer than 2 samples, a bad
// step) never comes here.
std::optional<std::string> fit_refusal_text(const fit_input& in,
                                            const motion::period_window& judged,
                                            std::string_view cut_with);

}  // namespace wavetool
