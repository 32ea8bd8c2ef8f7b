#include "suite/plan_sites.h"

#include <algorithm>
#include <cmath>

#include "files/output_files.h"
#include "suite/suite_files.h"

namespace wavetool {
namespace {

using namespace plan_values;

// The keys of a plan's [[site]] that are the plan's, not the profile's.
const std::set<std::string> plan_site_keys{"name", "profile", "compare_soil"};

// A site whose profile is a file of its own: the [[site]] holds nothing of a profile.
void read_profile_file(checker& c, const toml::table& t, const toml::node& n, plan_site& s) {
  for (const auto& [k, v] : t) {
    if (!plan_site_keys.contains(std::string(k.str()))) {
      c.fail(line_of(v), std::string(k.str()) +
                             ": the profile is in its file; a [[site]] with `profile` holds only "
                             "name, profile and compare_soil");
    }
  }
  const auto name = text_in(c, "profile", n, {});
  if (!name) return;
  s.profile_file = c.file.parent_path() / *name;
  const profile_read r = read_profile(s.profile_file);
  if (r.ok()) {
    s.profile = r.profile;
  } else if (r.error->line == 0 && r.error->file == s.profile_file.string()) {
    // A profile that cannot be read at all is told at the plan's line that names it.
    c.fail(line_of(n), "profile " + waveio::quoted(r.error->file) + ": " + r.error->message);
  } else if (!c.error) {
    c.error = *r.error;  // the profile's own line
  }
}

}  // namespace

void read_sites(checker& c, const toml::table& root, plan& p) {
  const toml::array* a = tables_of(c, root, "site");
  if (!a) return;
  for (const toml::node& x : *a) {
    const toml::table& t = *x.as_table();
    plan_site s{name_of_table(c, t, "[[site]]"), line_of(t), {}, p.file, {}};
    if (const toml::node* n = t.get("compare_soil"))
      s.compare_soil = integer_in(c, "compare_soil", *n, 1, 3);
    if (const toml::node* n = t.get("profile")) {
      read_profile_file(c, t, *n, s);
    } else {
      const profile_read r = profile_of_table(t, p.file, plan_site_keys);
      if (r.ok()) {
        s.profile = r.profile;
      } else if (!c.error) {
        c.error = *r.error;
      }
    }
    s.profile.name = s.name;  // the site's results name it as the plan does
    p.sites.push_back(std::move(s));
  }
  refuse_twins(c, p.sites, "site");
}

void refuse_site_file_clashes(checker& c, const plan& p) {
  for (const plan_site& site : p.sites) {
    const bool used = std::any_of(p.targets.begin(), p.targets.end(), [&](const plan_target& t) {
      return t.site && p.sites[*t.site].name == site.name;
    });
    if (!used) continue;
    for (const plan_wave& w : p.waves) {
      for (const plan_wave& other : p.waves) {
        if (other.name == w.name + "." + site.name) {
          c.fail(other.line, "name: " + waveio::quoted(other.name) + " is the name of wave " +
                                 waveio::quoted(w.name) + " through site " +
                                 waveio::quoted(site.name) +
                                 ": their files would be the same; choose another");
        }
      }
    }
  }
}

bool read_scaling_key(checker& c, const std::string& key, const toml::node& n, plan_wave& w,
                      std::optional<int>& fit_line, std::optional<bool>& fitted) {
  const auto set = [&](scale_measure m, const std::function<bool(double)>& ok,
                       std::string_view what) {
    if (w.scaling) {
      c.fail(line_of(n), key + ": give one of pgv, pga and scale");
      return;
    }
    if (const auto v = real_in(c, key, n, ok, what)) w.scaling = wave_scaling{m, *v};
  };
  if (key == "fit") {
    fit_line = line_of(n);
    if (!n.is_boolean()) {
      c.fail(line_of(n), "fit: expected true or false");
    } else {
      fitted = n.as_boolean()->get();
    }
  } else if (key == "pgv") {
    set(scale_measure::pgv, positive, "a velocity above 0 (cm/s)");
  } else if (key == "pga") {
    set(scale_measure::pga, positive, "an acceleration above 0 (gal)");
  } else if (key == "scale") {
    set(scale_measure::factor, usable_factor, factor_rule);
  } else {
    return false;
  }
  return true;
}

}  // namespace wavetool
