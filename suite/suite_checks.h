// What the suite checks of its folder and of the files it gathers: the folder can take the plan's
// files before any fit starts, a gathered result is what the plan asks and what its wave gives,
// and after a run the folder holds what that run wrote and nothing an earlier one left.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "files/output_files.h"
#include "suite/plan.h"
#include "suite/suite_files.h"

namespace wavetool {

// Why out cannot hold the plan's files (a file, a folder that cannot be written, a target's
// folder that is a link or a file); nothing when it can. With create, the folders are made.
std::optional<file_error> prepare_out_folder(const std::filesystem::path& out, const plan& p,
                                             bool create);

// f's result in dir, checked: its options are those the plan asks of f now, and the criteria
// and measures are those its fitted wave gives against its target; its status follows from them
// and the limits. Otherwise why it cannot be counted, with the command that fits it again.
// With a site, its files must be what the site gives with the fit's wave: computed, the texts
// this run wrote; none, computed again.
std::optional<fit_summary> verified_result(const std::filesystem::path& dir, const plan& p,
                                           const fit_item& f, file_error& error,
                                           const site_texts* computed = nullptr);

// Whether f passes by these criteria and measures: all four criteria and, unless the plan turns
// rest off for it, at rest with a plausible peak displacement for its target.
bool passes(const plan& p, const fit_item& f, const motion::criteria& c,
            const motion::motion_summary& m);

// The files an earlier run left in dir that this one does not write, and those the suite never
// writes. Only the pairs in scope are looked at (all of the plan's: every file in the targets'
// folders and beside them).
struct folder_sweep {
  std::vector<std::filesystem::path> stale;    // the suite's own, to be removed
  std::vector<std::filesystem::path> foreign;  // not the suite's: left alone, named
};
folder_sweep sweep_folder(const std::filesystem::path& dir, const plan& p,
                          const std::vector<fit_item>& scope, bool whole_plan);

// Removes the stale files; names the foreign ones in one line on standard error.
void tidy_folder(const folder_sweep& s);

}  // namespace wavetool
