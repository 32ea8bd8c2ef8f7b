// The sites of a plan and the keys that tie targets and waves to them: [[site]] tables (a
// profile inline, [[site.layer]] and [site.bedrock], or `profile` a file relative to the plan),
// a target's `site`, a wave's `fit = false` with `pgv`, `pga` or `scale`.
#pragma once

#include <toml++/toml.h>

#include <filesystem>
#include <set>
#include <string>

#include "suite/plan.h"
#include "suite/plan_values.h"
#include "suite/profile.h"

namespace wavetool {

// The profile held by a plan's [[site]] t: the keys of a profile's [site] with its layers and
// bedrock; the keys in plan_keys are the plan's own and left to it.
profile_read profile_of_table(const toml::table& t, const std::filesystem::path& file,
                              const std::set<std::string>& plan_keys);

// The plan's [[site]] tables into p.sites.
void read_sites(plan_values::checker& c, const toml::table& root, plan& p);

// Refuses a wave named as another wave's files through a site of a target ("w.soft" beside "w"
// taken through site "soft"): one would overwrite the other.
void refuse_site_file_clashes(plan_values::checker& c, const plan& p);

// A wave's keys of scaling (fit, pgv, pga, scale); false when key is not one. fit_line: the line
// of `fit`, set when it is given.
bool read_scaling_key(plan_values::checker& c, const std::string& key, const toml::node& n,
                      plan_wave& w, std::optional<int>& fit_line, std::optional<bool>& fitted);

}  // namespace wavetool
