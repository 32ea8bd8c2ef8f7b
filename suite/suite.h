// Running the fits of a suite side by side, and the commands that run them one by one elsewhere.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "operations/fit_job.h"
#include "suite/suite_files.h"

namespace wavetool {

// One fit to run: what it fits, with which settings, and what came out.
struct suite_fit {
  fit_item item;
  fit_overrides used;
  fit_job job;
  fit_job_result result;
  bool scaled = false;              // the result is set up already: a record scaled, not fitted
  const plan_site* site = nullptr;  // the target's site, that the wave is taken through
  std::optional<site_outcome> site_result;
};

// The threads of each fit's spectrum engine when jobs fits run at once on cores cores: the
// cores shared out, at least one each.
int threads_per_fit(int jobs, int cores);

// Fits every entry (a scaled one is not fitted) and takes its wave through its site, min(jobs,
// entries) at a time (jobs <= 0: one per hardware thread), each fit claiming the next in plan
// order, each with threads engine threads (<= 0: threads_per_fit of the fits at once and the
// hardware threads); the results do not depend on either. on_done(k) is called once per entry as it
// finishes, one call at a time.
void run_fits(std::vector<suite_fit>& fits, int jobs, int threads,
              const std::function<void(std::size_t)>& on_done);

// A word as the shell reads it back: as it is when it holds only safe characters, else in
// single quotes (a quote inside as '\'').
std::string shell_quoted(std::string_view word);

// The command that fits f alone: PROGRAM suite PLAN --out DIR --only TARGET/WAVE, quoted.
std::string only_command(std::string_view program, std::string_view plan_file, std::string_view out,
                         const plan& p, const fit_item& f);

}  // namespace wavetool
