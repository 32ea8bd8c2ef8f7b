#include "suite/suite_checks.h"

#include <unistd.h>

#include <algorithm>
#include <iostream>

#include "motion/design_fit.h"
#include "motion/rest.h"
#include "operations/check.h"
#include "operations/export.h"
#include "operations/result_json.h"
#include "operations/wave_file.h"
#include "waveio/text_fields.h"

namespace wavetool {
namespace {

namespace fs = std::filesystem;

bool writable(const fs::path& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// The endings of a fit's files after its wave's name: the wave, its result, each export.
// The sites' files come first: "W.SITE.csv" is a site's file of wave W, not a file of a wave
// "W.SITE".
std::vector<std::string> fit_endings(const plan& p) {
  std::vector<std::string> endings;
  for (const plan_site& site : p.sites) {
    for (const char* ending : site_endings) endings.push_back("." + site.name + ending);
  }
  endings.insert(endings.end(), {".csv", ".json"});
  for (const auto& layout : export_layouts) endings.emplace_back(layout.detail);
  return endings;
}

// The endings the plan asks of f now.
std::vector<std::string> endings_asked(const plan& p, const fit_item& f) {
  std::vector<std::string> endings{".csv", ".json"};
  if (const auto site = p.targets[f.target].site) {
    for (const char* ending : site_endings) endings.push_back("." + p.sites[*site].name + ending);
  }
  for (const export_layout layout :
       settings_of(p, f.target, f.wave).exports.value_or(std::vector<export_layout>{})) {
    endings.emplace_back(export_extension(layout));
  }
  return endings;
}

// Whether file holds the result of a fit of wave to target, as the suite writes one.
bool suite_result(const fs::path& file, const std::string& target, const std::string& wave) {
  file_error e;
  const auto text = files::read_text(file, e);
  if (!text) return false;
  const nlohmann::json j = nlohmann::json::parse(*text, nullptr, false);
  return j.is_object() && j.contains("options") && j.value("target", "") == target &&
         j.value("wave", "") == wave;
}

// Whether STEM = WAVE.SITE names the files of the suite's wave through a site: WAVE.json is
// the suite's result for target and WAVE.SITE.json the results of site SITE.
bool earlier_site_file(const fs::path& folder, const std::string& stem, const std::string& target) {
  const std::size_t dot = stem.rfind('.');
  if (dot == std::string::npos) return false;
  const std::string wave = stem.substr(0, dot), site = stem.substr(dot + 1);
  if (!suite_result(folder / (wave + ".json"), target, wave)) return false;
  file_error e;
  const auto text = files::read_text(folder / (stem + ".json"), e);
  if (!text) return false;
  const nlohmann::json j = nlohmann::json::parse(*text, nullptr, false);
  return j.is_object() && j.value("site", "") == site && j.contains("layers");
}

std::string again(const std::string& pair) {
  return " (fit it again with --only " + pair + ")";
}

// The first measure of the file that its wave does not give, as "NAME is X in the file, Y by
// the wave"; empty when all agree.
std::string first_difference(const fit_summary& s, const check_report& r) {
  const auto differs = [](const std::string& name, const std::string& in_file,
                          const std::string& by_wave) {
    return in_file == by_wave
               ? std::string()
               : name + " is " + in_file + " in the file, " + by_wave + " by its wave";
  };
  const motion::criteria& c = *r.criteria;
  const motion::motion_summary& m = r.measures;
  const motion::motion_summary& f = s.measures;
  const auto f32 = [](double x) { return waveio::shortest_text(static_cast<float>(x)); };
  const auto f64 = [](double x) { return waveio::shortest_text(x); };
  std::vector<std::string> found = {
      differs("samples", std::to_string(f.samples), std::to_string(m.samples)),
      differs("dt", f32(f.dt), f32(m.dt)),
      differs("cr1", waveio::shortest_text(s.cr1), waveio::shortest_text(c.cr1)),
      differs("cr2", waveio::shortest_text(s.cr2), waveio::shortest_text(c.cr2)),
      differs("cr3", waveio::shortest_text(s.cr3), waveio::shortest_text(c.cr3)),
      differs("cr4", waveio::shortest_text(s.cr4), waveio::shortest_text(c.cr4)),
      differs("pga", f32(f.pga), f32(m.pga)),
      differs("pga_time", f32(s.json.value("pga_time", -1.0)), f32(m.pga_time))};
  for (const measure_entry& e : double_measures)
    found.push_back(differs(std::string(e.key), f64(f.*e.value), f64(m.*e.value)));
  for (const std::string& d : found) {
    if (!d.empty()) return d;
  }
  return {};
}

// The first option the file and the plan disagree on.
std::string first_option_apart(const nlohmann::ordered_json& asked,
                               const nlohmann::ordered_json& found) {
  if (!found.is_object()) return "options";
  for (const auto& [key, value] : asked.items()) {
    if (!found.contains(key) || found.at(key) != value) return key;
  }
  for (const auto& [key, value] : found.items()) {
    if (!asked.contains(key)) return key;
  }
  return "options";
}

// s with its site's results, when its target has a site: the files must hold, byte for byte,
// what the site gives with the bedrock wave (as this run computed it, or computed again).
std::optional<fit_summary> with_site(const fs::path& dir, const plan& p, const fit_item& f,
                                     fit_summary s, const wave& bedrock, const site_texts* computed,
                                     file_error& error) {
  const auto site = p.targets[f.target].site;
  if (!site) return s;
  const std::string pair = fit_name(p, f);
  site_texts again_computed;
  if (!computed) {
    const site_outcome o = site_of_wave(p.sites[*site], bedrock);
    if (o.failure) {
      error = {p.sites[*site].profile_file.string(), 0, pair + ": " + *o.failure};
      return std::nullopt;
    }
    again_computed = o.texts;
    computed = &again_computed;
  }
  for (const auto& [ending, expected] :
       {std::pair{".csv", &computed->wave}, std::pair{".json", &computed->json}}) {
    const fs::path file = site_file(dir, p, f, ending);
    const auto text = files::read_text(file, error);
    if (!text) {
      error.message += again(pair);
      return std::nullopt;
    }
    if (*text != *expected) {
      error = {file.string(), 0,
               "is not what the site gives with the bedrock wave of " + pair + again(pair)};
      return std::nullopt;
    }
  }
  s.site = read_site_summary(computed->json);
  return s;
}

}  // namespace

std::optional<file_error> prepare_out_folder(const fs::path& out, const plan& p, bool create) {
  std::error_code ec;
  const fs::file_status st = fs::status(out, ec);
  if (fs::exists(st)) {
    if (!fs::is_directory(st)) return file_error{out.string(), 0, "is a file, not a folder"};
    if (!writable(out)) return file_error{out.string(), 0, "is a folder that cannot be written"};
  } else {
    fs::path up = out.parent_path();
    while (!up.empty() && !fs::exists(up, ec)) up = up.parent_path();
    if (up.empty()) up = ".";
    if (!fs::is_directory(up, ec)) {
      return file_error{out.string(), 0, "cannot be made: " + up.string() + " is a file"};
    }
    if (!writable(up)) {
      return file_error{out.string(), 0,
                        "cannot be made: the folder " + up.string() + " cannot be written"};
    }
  }
  for (const plan_target& t : p.targets) {
    const fs::path folder = out / t.name;
    const fs::file_status s = fs::symlink_status(folder, ec);
    if (fs::is_symlink(s)) {
      // A shared folder's link would let the suite's writes land outside it.
      return file_error{folder.string(), 0,
                        "is a link: the suite writes only into folders of its own (remove it)"};
    }
    if (fs::exists(s) && !fs::is_directory(s)) {
      return file_error{folder.string(), 0, "is a file, not the target's folder"};
    }
    if (fs::exists(s) && !writable(folder)) {
      return file_error{folder.string(), 0, "is a folder that cannot be written"};
    }
  }
  if (!create) return std::nullopt;
  for (const plan_target& t : p.targets) {
    fs::create_directories(out / t.name, ec);
    if (ec) return file_error{(out / t.name).string(), 0, "cannot be made: " + ec.message()};
  }
  return std::nullopt;
}

bool passes(const plan& p, const fit_item& f, const motion::criteria& c,
            const motion::motion_summary& m) {
  if (!motion::judge(c).all()) return false;
  const fit_overrides used = settings_of(p, f.target, f.wave);
  if (used.no_rest.value_or(false)) return true;
  const motion::design_settings s = design_settings_of(used);
  const double limit = used.max_pgd.value_or(
      motion::plausible_pgd(p.targets[f.target].spectrum.spectrum, s.tuning.displacement));
  return motion::at_rest({m.end_velocity, m.end_displacement}) && m.pgd <= limit;
}

std::optional<fit_summary> verified_result(const fs::path& dir, const plan& p, const fit_item& f,
                                           file_error& error, const site_texts* computed) {
  const std::string pair = fit_name(p, f);
  auto s = read_fit_result(dir, p, f, error);
  if (!s) {
    error.message += again(pair);
    return std::nullopt;
  }
  const std::string json_file = fit_file(dir, p, f, ".json").string();
  const nlohmann::ordered_json asked = options_json(p, f);
  const auto found = s->json.find("options");
  if (found == s->json.end() || *found != asked) {
    const std::string key =
        first_option_apart(asked, found == s->json.end() ? nlohmann::ordered_json() : *found);
    error = {json_file, 0,
             "the fit of " + pair + " was made with other options than the plan asks now (" + key +
                 ")" + again(pair)};
    return std::nullopt;
  }
  const wave_result w = read_wave(fit_file(dir, p, f, ".csv"));
  if (!w.ok()) {
    error = *w.error;
    error.message += again(pair);
    return std::nullopt;
  }
  const check_report r = evaluate(w.w, p.targets[f.target].spectrum);
  const std::string apart = r.criteria ? first_difference(*s, r) : "its wave gives no criteria";
  if (!apart.empty()) {
    error = {json_file, 0, "does not describe the wave of " + pair + ": " + apart + again(pair)};
    return std::nullopt;
  }
  if (p.waves[f.wave].scaling) {
    if (!s->scaled) {
      error = {json_file, 0,
               "is the result of a fit, where the plan scales the wave" + again(pair)};
      return std::nullopt;
    }
    return with_site(dir, p, f, std::move(*s), w.w, computed, error);
  }
  const bool passed = passes(p, f, *r.criteria, r.measures);
  if (s->scaled || passed != s->passed) {
    error = {json_file, 0,
             std::string("says ") +
                 (s->scaled   ? status_scaled
                  : s->passed ? status_passed
                              : status_not_passed) +
                 " where the criteria " + "and limits say " +
                 (passed ? status_passed : status_not_passed) + again(pair)};
    return std::nullopt;
  }
  return with_site(dir, p, f, std::move(*s), w.w, computed, error);
}

folder_sweep sweep_folder(const fs::path& dir, const plan& p, const std::vector<fit_item>& scope,
                          bool whole_plan) {
  folder_sweep sweep;
  std::error_code ec;
  const std::vector<std::string> endings = fit_endings(p);
  for (std::size_t t = 0; t < p.targets.size(); ++t) {
    const fs::path folder = dir / p.targets[t].name;
    if (!fs::is_directory(fs::symlink_status(folder, ec))) continue;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
      const std::string name = e.path().filename().string();
      const bool plain = fs::is_regular_file(e.symlink_status(ec));
      const auto ending = std::find_if(endings.begin(), endings.end(), [&](const std::string& x) {
        return name.size() > x.size() && name.ends_with(x);
      });
      if (ending == endings.end()) {
        if (whole_plan) sweep.foreign.push_back(e.path());
        continue;
      }
      const std::string stem = name.substr(0, name.size() - ending->size());
      const auto in_plan = std::find_if(p.waves.begin(), p.waves.end(),
                                        [&](const plan_wave& w) { return w.name == stem; });
      if (in_plan == p.waves.end()) {
        if (!whole_plan) continue;
        // An earlier plan's wave, or a wave's files through a site no longer in the plan: they
        // go when the wave's result (and the site's) says they are the suite's.
        const bool ours =
            plain && (suite_result(folder / (stem + ".json"), p.targets[t].name, stem) ||
                      earlier_site_file(folder, stem, p.targets[t].name));
        (ours ? sweep.stale : sweep.foreign).push_back(e.path());
        continue;
      }
      const fit_item f{t, static_cast<std::size_t>(in_plan - p.waves.begin())};
      const bool in_scope = whole_plan || std::any_of(scope.begin(), scope.end(), [&](auto& x) {
                              return x.target == f.target && x.wave == f.wave;
                            });
      if (!in_scope) continue;
      const std::vector<std::string> asked = endings_asked(p, f);
      if (std::find(asked.begin(), asked.end(), *ending) != asked.end()) continue;
      (plain ? sweep.stale : sweep.foreign).push_back(e.path());
    }
  }
  if (!whole_plan) {
    // The summaries and the report no longer describe a folder with a refitted pair.
    for (const char* name : summary_files) {
      if (fs::is_regular_file(fs::symlink_status(dir / name, ec)))
        sweep.stale.push_back(dir / name);
    }
    return sweep;
  }
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    const bool target = std::any_of(p.targets.begin(), p.targets.end(),
                                    [&](const plan_target& t) { return t.name == name; });
    const bool summary =
        std::find(summary_files.begin(), summary_files.end(), name) != summary_files.end();
    if (!target && !summary && name != report_work_folder) sweep.foreign.push_back(e.path());
  }
  return sweep;
}

void tidy_folder(const folder_sweep& s) {
  std::error_code ec;
  for (const fs::path& file : s.stale) fs::remove(file, ec);
  if (s.foreign.empty()) return;
  std::vector<std::string> names;
  for (const fs::path& file : s.foreign) names.push_back(file.string());
  std::sort(names.begin(), names.end());
  std::string line = "wavetool: not written by the suite, left as they are:";
  for (std::size_t k = 0; k < names.size(); ++k)
    line += (k ? ", " : " ") + waveio::quoted(names[k]);
  std::cerr << line << '\n';
}

}  // namespace wavetool
