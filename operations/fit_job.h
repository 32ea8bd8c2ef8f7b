// One design fit as a job: a wave and its settings in, the result, its measures and its files as
// text out. `wavetool suite` runs many of them side by side; nothing here prints or writes.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "motion/design_fit.h"
#include "motion/measures.h"
#include "operations/fit_setup.h"
#include "operations/spectrum_request.h"
#include "operations/wave_file.h"

namespace wavetool {

struct fit_job_result {
  std::optional<std::string> refused;  // why the wave cannot be fitted (nothing else is set)
  motion::design_result fit;
  motion::motion_summary measures;  // of the fitted wave as written
  std::string wave_text;            // the fitted wave, as `wavetool fit -o` writes it
};

// Why the wave in cannot be fitted to target (longer than the longest transform, or a criterion
// with no period of its grid in its window); nothing when it can.
std::optional<std::string> fit_refusal_of(const fit_input& in, const spectrum_request& target);

// Fits the wave in (as fit_input_of sets it up) with settings s aimed at the target as
// `wavetool fit` aims (its spectrum at its damping, criteria 1, 3 and 4 over its window, the
// peak displacement held to max_pgd or the target's plausible one), calling on_iteration after
// every iteration.
fit_job_result run_fit_job(
    const fit_input& in, const spectrum_request& target, motion::design_settings s,
    std::optional<double> max_pgd,
    const std::function<void(const motion::iteration_report&)>& on_iteration);

}  // namespace wavetool
