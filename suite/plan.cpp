#include "suite/plan.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "motion/seed_wave.h"
#include "operations/envelope_corners.h"
#include "operations/fit_setup.h"
#include "operations/spectrum_keys.h"
#include "operations/wave_file.h"
#include "suite/plan_sites.h"
#include "suite/plan_values.h"
#include "suite/suite_files.h"
#include "waveio/seed_file.h"
#include "waveio/text_fields.h"

namespace wavetool {
namespace {

using namespace plan_values;

// Fit keys; false when the key is not one.
bool read_fit_key(checker& c, const std::string& key, const toml::node& n, fit_overrides& f) {
  if (key == "corners") {
    const std::string what = std::string("four numbers [TB, TC, TD, TE] with ") + corners_rule;
    if (const auto v = numbers(c, key, n, 4, what)) {
      const auto t = ordered_corners(*v);
      if (!t) {
        c.fail(line_of(n), "corners: expected " + what);
        return true;
      }
      f.corners = {static_cast<float>((*t)[0]), static_cast<float>((*t)[1]),
                   static_cast<float>((*t)[2]), static_cast<float>((*t)[3])};
    }
  } else if (key == "max_iterations") {
    f.max_iterations = integer_in(c, key, n, 1, most_iterations);
  } else if (key == "max_pgd") {
    f.max_pgd = real_in(c, key, n, positive, "a displacement above 0 (cm)");
  } else if (key == "no_rest" || key == "keep_step") {
    if (!n.is_boolean()) {
      c.fail(line_of(n), key + ": expected true or false");
      return true;
    }
    (key == "no_rest" ? f.no_rest : f.keep_step) = n.as_boolean()->get();
  } else if (key == "export") {
    const toml::array* a = n.as_array();
    if (!a) {
      c.fail(line_of(n), "export: expected a list such as [\"opensees\", \"at2\"]");
      return true;
    }
    std::vector<export_layout> layouts;
    for (const toml::node& x : *a) {
      if (const auto s = text_in(c, key, x, layout_names())) layouts.push_back(*layout_of(*s));
    }
    f.exports = layouts;
  } else {
    return false;
  }
  return true;
}

// The TOML value of a spectrum key as the command line's text, after a check of its type alone:
// the spectrum options check the rest, with the command line's rules. False when not a key.
bool read_spectrum_key(checker& c, const std::string& key, const toml::node& n, spectrum_keys& keys,
                       std::map<std::string, int>& lines) {
  const spectrum_key* known = plan_spectrum_key(key);
  if (!known) return false;
  const auto text_of = [](const toml::node& x) {
    return x.is_integer() ? std::to_string(x.as_integer()->get())
                          : waveio::shortest_text(x.as_floating_point()->get());
  };
  std::optional<std::string> text;
  switch (known->form) {
    case key_form::word:
      text = text_in(c, key, n, {});
      break;
    case key_form::whole:
      if (n.is_integer())
        text = text_of(n);
      else
        c.fail(line_of(n), key + ": expected an integer");
      break;
    case key_form::number:
      if (is_number(n))
        text = text_of(n);
      else
        c.fail(line_of(n), key + ": expected a number");
      break;
    case key_form::two_periods:
      if (const auto v = numbers(c, key, n, 2, "two periods [TMIN, TMAX]")) {
        text = text_of(*n.as_array()->get(0)) + "," + text_of(*n.as_array()->get(1));
      }
  }
  const std::string spelled(known->name);
  if (text) keys[spelled] = *text;
  lines[spelled] = line_of(n);
  return true;
}

// The target's spectrum by the spectrum options' rules (the message names the key at its line),
// then a table's rows, which must hold every period the criteria judge, as for `wavetool fit`.
void check_spectrum(checker& c, plan_target& t, const std::map<std::string, int>& lines,
                    const std::map<std::string, int>& default_lines) {
  const spectrum_choice choice = spectrum_from_keys(t.keys, "");
  if (!choice.ok()) {
    int line = t.line;
    std::string from_defaults;
    for (const auto& [key, at] : lines) {
      if (!choice.error.starts_with(key + ":")) continue;
      line = at;
      const auto d = default_lines.find(key);
      // A key of [defaults] is refused for the target that cannot take it.
      if (d != default_lines.end() && d->second == at) {
        from_defaults = " (in [defaults], for target " + waveio::quoted(t.name) + ")";
      }
    }
    c.fail(line, choice.error + from_defaults);
    return;
  }
  t.spectrum = choice.request;
  if (t.spectrum.spectrum.kind == motion::spectrum_kind::table) {
    t.spectrum.table_file = (c.file.parent_path() / t.spectrum.table_file).string();
    if (const auto e = load_table(t.spectrum)) {
      if (e->line == 0) {
        // A table that cannot be read at all is told at the plan's line that names it.
        c.fail(lines.at("table"), "table " + waveio::quoted(e->file) + ": " + e->message);
      } else if (!c.error) {
        c.error = *e;  // the table's own line
      }
    } else if (const auto short_table = uncovered_criteria(t.spectrum)) {
      c.fail(lines.at("table"), "table: " + short_table->message);
    }
  }
}

// The keys of one [[wave]] besides its name and fit keys.
bool read_source_key(checker& c, const std::string& key, const toml::node& n, seed_source& seed,
                     record_source& rec, std::optional<int>& seed_line,
                     std::optional<int>& record_line, std::map<std::string, int>& lines) {
  const auto set = [](auto& to, auto&& value) {
    if (value) to = *value;
  };
  lines[key] = line_of(n);
  if (key == "seed") {
    seed_line = line_of(n);
    set(seed.seed, integer_in(c, key, n, motion::min_seed_number, motion::max_seed_number));
  } else if (key == "samples") {
    seed.samples = integer_in(c, key, n, motion::min_seed_samples, motion::max_seed_samples);
  } else if (key == "dt") {
    seed.dt = rec.dt = real_in(c, key, n, positive, "a positive step (s)");
  } else if (key == "record") {
    record_line = line_of(n);
    set(rec.path, text_in(c, key, n, {}));
  } else if (key == "format") {
    set(rec.format, text_in(c, key, n, waveio::format_choices()));
  } else if (key == "units") {
    rec.units = text_in(c, key, n, waveio::unit_names());
  } else if (key == "start" || key == "end") {
    const auto v = real_in(
        c, key, n, [](double x) { return x >= 0.0 && std::isfinite(x); }, "a time of 0 s or later");
    (key == "start" ? rec.start : rec.end) = v;
  } else if (key == "column") {
    set(rec.column, integer_in(c, key, n, 1, waveio::max_column));
  } else if (key == "component") {
    set(rec.component, text_in(c, key, n, waveio::component_names()));
  } else {
    lines.erase(key);
    return false;
  }
  return true;
}

// A key of the other kind of source is refused rather than ignored: the wave would not be the
// one the engineer described.
void refuse_keys_of_other_source(checker& c, bool is_seed,
                                 const std::map<std::string, int>& lines) {
  for (const auto& [key, line] : lines) {
    const bool of_record = key != "seed" && key != "samples" && key != "dt" && key != "record";
    if (is_seed ? of_record : key == "samples") {
      c.fail(line, key + (is_seed ? ": a key of a record, not of a seed wave"
                                  : ": a key of a seed, not of a record wave"));
    }
  }
}

// The index of the plan's [[site]] a target names.
std::optional<std::size_t> site_named(checker& c, const toml::node& n, const plan& p) {
  const auto name = text_in(c, "site", n, {});
  if (!name) return std::nullopt;
  for (std::size_t k = 0; k < p.sites.size(); ++k) {
    if (p.sites[k].name == *name) return k;
  }
  c.fail(line_of(n), "site: no [[site]] named " + waveio::quoted(*name));
  return std::nullopt;
}

// A wave scaled instead of fitted is an observed record at a level: fit = false with one of pgv,
// pga and scale, and nothing that steers a fit.
void check_scaling(checker& c, const toml::table& t, const plan_wave& w,
                   std::optional<int> fit_line, std::optional<bool> fitted) {
  const toml::node* aim = nullptr;
  std::string aim_key;
  for (const char* key : {"pgv", "pga", "scale"}) {
    if (const toml::node* n = t.get(key); n && !aim) std::tie(aim, aim_key) = std::pair{n, key};
  }
  if (fitted == false && !aim) {
    c.fail(*fit_line, "fit: a wave that is not fitted is scaled: give pgv, pga or scale");
  } else if (aim && fitted != false) {
    c.fail(line_of(*aim), aim_key + ": a wave scaled instead of fitted takes fit = false");
  }
  if (fitted != false) return;
  if (std::holds_alternative<seed_source>(w.source)) {
    c.fail(*fit_line, "fit: a seed is drawn to be fitted; a wave scaled instead is a record");
  }
  for (const char* key : {"corners", "max_iterations", "no_rest", "keep_step", "max_pgd"}) {
    if (const toml::node* n = t.get(key)) {
      c.fail(line_of(*n), std::string(key) + ": a key of a fit, not of a wave scaled instead " +
                              "of fitted (fit = false)");
    }
  }
}

// base: [defaults]'s spectrum keys, with their lines.
void read_targets(checker& c, const toml::table& root, const spectrum_keys& base,
                  const std::map<std::string, int>& base_lines, plan& p) {
  if (const toml::array* a = tables_of(c, root, "target")) {
    for (const toml::node& x : *a) {
      const toml::table& t = *x.as_table();
      plan_target target{name_of_table(c, t, "[[target]]"), line_of(t), base, {}, {}, {}};
      if (std::find(summary_files.begin(), summary_files.end(), target.name) !=
          summary_files.end()) {
        c.fail(line_of(*t.get("name")), "name: " + waveio::quoted(target.name) +
                                            " is a file the suite writes beside the targets' "
                                            "folders; choose another");
      }
      std::map<std::string, int> lines = base_lines;
      for (const auto& [k, v] : t) {
        const std::string key(k.str());
        if (key == "site") {
          target.site = site_named(c, v, p);
        } else if (key != "name" && !read_spectrum_key(c, key, v, target.keys, lines) &&
                   !read_fit_key(c, key, v, target.fit)) {
          c.fail(line_of(v), "unknown key " + waveio::quoted(key) + " in [[target]]");
        }
      }
      if (!c.error) check_spectrum(c, target, lines, base_lines);
      if (!c.error && target.site &&
          target.spectrum.spectrum.kind != motion::spectrum_kind::bedrock) {
        c.fail(line_of(*t.get("site")),
               "site: a site takes the outcrop motion of its bedrock: the target must be the "
               "bedrock spectrum (spectrum = \"bedrock\")");
      }
      p.targets.push_back(std::move(target));
    }
  }
}

void read_waves(checker& c, const toml::table& root, plan& p) {
  if (const toml::array* a = tables_of(c, root, "wave")) {
    for (const toml::node& x : *a) {
      const toml::table& t = *x.as_table();
      plan_wave wave{name_of_table(c, t, "[[wave]]"), line_of(t), {}, {}, {}};
      seed_source seed;
      record_source rec;
      std::optional<int> seed_line, record_line;
      std::map<std::string, int> source_lines;
      std::optional<int> fit_line;
      std::optional<bool> fitted;
      for (const auto& [k, v] : t) {
        const std::string key(k.str());
        if (key != "name" &&
            !read_source_key(c, key, v, seed, rec, seed_line, record_line, source_lines) &&
            !read_fit_key(c, key, v, wave.fit) &&
            !read_scaling_key(c, key, v, wave, fit_line, fitted)) {
          c.fail(line_of(v), "unknown key " + waveio::quoted(key) + " in [[wave]]");
        }
      }
      if (seed_line.has_value() == record_line.has_value()) {
        c.fail(wave.line, "[[wave]]: expected either seed or record");
      } else if (seed_line) {
        refuse_keys_of_other_source(c, true, source_lines);
        const double dt = seed.dt.value_or(motion::default_seed_dt);
        const double end =
            static_cast<double>(seed.samples.value_or(motion::default_seed_samples)) * dt;
        if (dt > motion::max_seed_dt) {
          c.fail(wave.line,
                 "dt: a seed's step is at most " + waveio::short_text(motion::max_seed_dt) + " s");
        } else if (!waveio::seed_step_decimals(dt)) {
          c.fail(wave.line, "dt: expected a step the seed's time column holds with at most " +
                                std::to_string(waveio::max_seed_decimals) + " decimals");
        } else if (end < motion::seed_corners{}.td) {
          c.fail(wave.line, "samples: the seed lasts " + waveio::short_text(end) +
                                " s, shorter than its envelope's " +
                                waveio::short_text(motion::seed_corners{}.td) + " s");
        }
        wave.source = seed;
      } else {
        refuse_keys_of_other_source(c, false, source_lines);
        rec.path = p.file.parent_path() / rec.path;
        rec.line = *record_line;
        if (const auto why = files::not_a_file(rec.path)) {
          c.fail(*record_line, "record " + waveio::quoted(rec.path.string()) + ": " + *why);
        } else if (rec.start && rec.end && *rec.start > *rec.end) {
          c.fail(wave.line, "start: must not be later than end");
        }
        wave.source = rec;
      }
      check_scaling(c, t, wave, fit_line, fitted);
      p.waves.push_back(std::move(wave));
    }
  }
}

// A seed's amplitudes come from the spectrum at every period of its grid, up to its length: a
// table must reach that far, it is never extrapolated.
void refuse_seeds_beyond_tables(checker& c, const plan& p) {
  for (const plan_wave& w : p.waves) {
    const seed_source* seed = std::get_if<seed_source>(&w.source);
    if (!seed) continue;
    const motion::seed_grid g = seed_grid_of(*seed);
    for (const plan_target& t : p.targets) {
      if (!motion::covers_seed(t.spectrum.spectrum, g)) {
        c.fail(w.line, "seed: the table of target " + waveio::quoted(t.name) +
                           " does not reach the seed's periods " + waveio::short_text(2.0 * g.dt) +
                           " to " + waveio::short_text(g.dur) + " s" +
                           std::string(never_extrapolated));
      }
    }
  }
}

}  // namespace

plan_result parse_plan(std::string_view text, const std::filesystem::path& file) {
  plan_result r;
  r.p.file = file;
  r.p.text = std::string(text);
  toml::table root;
  try {
    root = toml::parse(text, file.string());
  } catch (const toml::parse_error& e) {
    r.error = syntax_fault(e, file);
    return r;
  }
  checker c{file, std::nullopt};
  spectrum_keys base;
  std::map<std::string, int> base_lines;
  for (const auto& [k, v] : root) {
    const std::string key(k.str());
    if (key == "defaults") {
      if (!v.is_table()) {
        c.fail(line_of(v), "defaults: expected a [defaults] table");
        continue;
      }
      for (const auto& [dk, dv] : *v.as_table()) {
        const std::string d(dk.str());
        if (!read_spectrum_key(c, d, dv, base, base_lines) &&
            !read_fit_key(c, d, dv, r.p.defaults)) {
          c.fail(line_of(dv), "unknown key " + waveio::quoted(d) + " in [defaults]");
        }
      }
    } else if (key != "target" && key != "wave" && key != "site") {
      c.fail(line_of(v), "unknown key " + waveio::quoted(key) +
                             " (expected [defaults], [[target]], [[wave]], [[site]])");
    }
  }
  read_sites(c, root, r.p);
  read_targets(c, root, base, base_lines, r.p);
  read_waves(c, root, r.p);
  refuse_seeds_beyond_tables(c, r.p);
  refuse_twins(c, r.p.targets, "target");
  refuse_twins(c, r.p.waves, "wave");
  refuse_site_file_clashes(c, r.p);
  if (!c.error && r.p.targets.empty()) c.fail(0, "expected at least one [[target]]");
  if (!c.error && r.p.waves.empty()) c.fail(0, "expected at least one [[wave]]");
  r.error = c.error;
  return r;
}

plan_result read_plan(const std::filesystem::path& file) {
  files::file_error e;
  const auto text = files::read_text(file, e);
  if (!text) return {{}, e};
  return parse_plan(*text, file);
}

}  // namespace wavetool
