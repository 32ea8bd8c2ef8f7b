// One design fit, the one road of `wavetool fit` and of every fit of a suite: a wave and its
// settings are set up (or refused) first, then fitted; the results come back as text and values,
// and the caller prints them or files them. Nothing here prints or writes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "motion/design_fit.h"
#include "motion/measures.h"
#include "operations/fit_setup.h"
#include "operations/spectrum_request.h"
#include "operations/wave_file.h"

namespace wavetool {

// What the engineer asks of one fit, on the command line or in a plan.
struct fit_settings {
  motion::design_settings design;  // the corners, the iteration limit, rest, the engine's threads
  bool keep_step = false;          // fit at the wave's own step even when it is coarse
  std::optional<double> max_pgd;   // cm; nothing: the target's plausible limit
};

// A fit ready to run: the wave at the step it is fitted at, the settings aimed at the target.
struct fit_job {
  fit_input input;
  motion::design_settings settings;
  bool pgd_given = false;  // the displacement limit is the engineer's own
};

// A fit set up, or why the wave cannot be fitted, told of the file as shown.
struct fit_job_setup {
  fit_job job;
  std::optional<file_error> refused;
  bool ok() const { return !refused; }
};

// Sets the wave given (named shown) up to be fitted to target as `wavetool fit` aims (its
// spectrum at its damping, criteria 1, 3 and 4 over its window, the peak displacement held to
// max_pgd or the target's plausible one). A wave too long for the longest transform is told with
// cut_with, the caller's words for cutting a window; one refused already at its own step is told
// as given, not as resampled.
fit_job_setup set_up_fit(const wave& given, const std::string& shown,
                         const spectrum_request& target, const fit_settings& settings,
                         std::string_view cut_with);

struct fit_job_result {
  motion::design_result fit;
  motion::motion_summary measures;  // of the fitted wave as written
  std::string wave_text;            // the fitted wave, as `wavetool fit -o` writes it
};

// Fits the job's wave, calling on_iteration after every iteration.
fit_job_result run_fit_job(
    const fit_job& job, const std::function<void(const motion::iteration_report&)>& on_iteration);

}  // namespace wavetool
