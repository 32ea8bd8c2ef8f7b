#include "suite/profile.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "files/output_files.h"
#include "suite/plan_sites.h"
#include "suite/plan_values.h"
#include "waveio/text_fields.h"

namespace wavetool {
namespace {

using plan_values::checker;
using plan_values::line_of;
using site::profile_field;
using field = site::profile_field;

// Where each value of the profile was written, so that the library's faults point at it.
struct layer_lines {
  std::string table = "[[layer]]";  // as the file names it: "[[site.layer]]" in a plan
  int header = 0;
  std::map<field, int> at;
  std::filesystem::path table_file;
  std::vector<int> row_lines;
};
struct profile_lines {
  std::string bedrock_table = "[bedrock]";
  int site_header = 0, bedrock_header = 0;
  std::map<field, int> site, bedrock;
  std::vector<layer_lines> layers;
};

std::string name_of(field f) {
  return std::string(site::field_name(f));
}

bool finite(double x) {
  return std::isfinite(x);
}

std::optional<double> number_at(checker& c, std::string_view key, const toml::node& n) {
  return plan_values::real_in(c, key, n, finite, "a number");
}

// others: keys the table holds besides the site's own (a plan's [[site]] holds its layers, its
// bedrock and the plan's keys); what: the table's name in messages.
void read_site(checker& c, const toml::table& t, site::site_profile& p, profile_lines& lines,
               const std::set<std::string>& others, const std::string& what) {
  bool ratio_given = false;
  for (const auto& [k, v] : t) {
    const std::string key(k.str());
    if (others.contains(key)) continue;
    // Named again for the lambda: clang before 16 cannot capture a structured binding.
    const toml::node& value = v;
    auto set = [&](field f, double& target) {
      if (auto x = number_at(c, key, value)) target = *x;
      lines.site[f] = line_of(value);
    };
    if (key == "name") {
      if (auto s = plan_values::text_in(c, key, v, {})) p.name = *s;
    } else if (key == "method") {
      if (auto s = plan_values::text_in(c, key, v, {"linear", "equivalent-linear"})) {
        p.method =
            *s == "linear" ? site::site_method::linear : site::site_method::equivalent_linear;
      }
    } else if (key == "strain_ratio" || key == "magnitude") {
      if (ratio_given) c.fail(line_of(v), key + ": give strain_ratio or magnitude, not both");
      ratio_given = true;
      set(field::strain_ratio, p.strain_ratio);
      if (key == "magnitude") p.strain_ratio = site::strain_ratio_of_magnitude(p.strain_ratio);
    } else if (key == "tolerance") {
      set(field::tolerance, p.tolerance);
    } else if (key == "max_iterations") {
      if (auto n = plan_values::integer_in(c, key, v, 1, 1000))
        p.max_iterations = static_cast<int>(*n);
    } else if (key == "complex_modulus") {
      const auto& forms = site::modulus_form_names;
      if (auto s = plan_values::text_in(c, key, v, {forms.begin(), forms.end()})) {
        for (std::size_t i = 0; i < forms.size(); ++i) {
          if (*s == forms[i]) p.form = static_cast<site::modulus_form>(i);
        }
      }
    } else if (key == "max_frequency") {
      set(field::max_frequency, p.max_frequency);
    } else if (key == "water_table") {
      double depth = 0.0;
      set(field::water_table, depth);
      p.water_table = depth;
    } else {
      c.fail(line_of(v), "unknown key " + waveio::quoted(key) + " in " + what);
    }
  }
}

// The keys each curve takes beside the layer's own, and which of them must be given.
struct curve_keys {
  std::string_view curve;
  std::vector<std::string_view> keys;
  std::vector<std::string_view> required;
};
const std::vector<curve_keys>& curve_table() {
  static const std::vector<curve_keys> table{
      {"hardin-drnevich", {"gamma_ref", "h_max", "h_min"}, {"gamma_ref", "h_max"}},
      {"darendeli",
       {"plasticity", "ocr", "mean_stress", "k0", "frequency", "cycles"},
       {"plasticity"}},
      {"table", {"table"}, {"table"}},
      {"linear", {"damping"}, {"damping"}}};
  return table;
}

// Rows "strain (%) G/G0 damping", blank lines and lines from # on left out.
std::optional<site::strain_table> read_curve_table(checker& c, const std::filesystem::path& file,
                                                   int line, layer_lines& lines) {
  files::file_error e;
  const auto text = files::read_text(file, e);
  if (!text) {
    c.fail(line, "table: " + e.message);
    return std::nullopt;
  }
  const auto fail_in_table = [&](int row_line, std::string message) {
    if (!c.error) c.error = files::file_error{file.string(), row_line, std::move(message)};
  };
  site::strain_table table;
  for (const waveio::text_line& l : waveio::split_lines(*text)) {
    const std::string_view body = waveio::trim(l.text.substr(0, l.text.find('#')));
    if (body.empty()) continue;
    const auto fields = waveio::split_fields(body);
    std::optional<double> x[3];
    for (std::size_t i = 0; i < fields.size() && i < 3; ++i) x[i] = waveio::parse_number(fields[i]);
    if (fields.size() != 3 || !x[0] || !x[1] || !x[2]) {
      fail_in_table(l.number, "expected strain (%), G/G0 and damping");
      return std::nullopt;
    }
    table.rows.push_back({*x[0], *x[1], *x[2]});
    lines.row_lines.push_back(l.number);
  }
  lines.table_file = file;
  return table;
}

// Every key a layer must have, told at the layer's header when missing: its thickness, velocity
// and weight, and what its curve needs.
void require_layer_keys(checker& c, int header, const std::string& table,
                        const std::set<std::string>& given, bool weight_given,
                        const curve_keys* keys) {
  for (std::string_view required : {"thickness", "vs"}) {
    if (!given.count(std::string(required))) {
      c.fail(header, std::string(required) + ": missing in " + table);
    }
  }
  if (!weight_given) c.fail(header, "unit_weight: missing in " + table + " (or density)");
  if (!keys) return;
  for (std::string_view required : keys->required) {
    if (!given.count(std::string(required))) {
      c.fail(header, std::string(required) + ": missing in " + table + " with curve = \"" +
                         std::string(keys->curve) + "\"");
    }
  }
}

// The layer's numbers as its properties and curve; a key not given keeps its default.
void fill_layer(site::soil_layer& layer, const std::string& curve,
                const std::map<std::string, double>& numbers) {
  auto value = [&](const char* key, double otherwise) {
    const auto it = numbers.find(key);
    return it == numbers.end() ? otherwise : it->second;
  };
  layer.thickness = value("thickness", 0.0);
  layer.vs = value("vs", 0.0);
  layer.unit_weight = numbers.count("density") ? site::unit_weight_of_density(numbers.at("density"))
                                               : value("unit_weight", 0.0);
  if (curve == "hardin-drnevich") {
    layer.curve =
        site::hardin_drnevich{value("gamma_ref", 0.0), value("h_max", 0.0), value("h_min", 0.0)};
  } else if (curve == "darendeli") {
    site::darendeli d;
    d.plasticity = value("plasticity", d.plasticity);
    d.ocr = value("ocr", d.ocr);
    if (numbers.count("mean_stress")) d.mean_stress_kpa = numbers.at("mean_stress");
    d.k0 = value("k0", d.k0);
    d.frequency = value("frequency", d.frequency);
    d.cycles = value("cycles", d.cycles);
    layer.curve = d;
  } else if (curve == "linear") {
    layer.curve = site::constant_damping{value("damping", 0.0)};
  }
}

site::soil_layer read_layer(checker& c, const toml::table& t, const std::filesystem::path& file,
                            layer_lines& lines) {
  site::soil_layer layer;
  lines.header = static_cast<int>(t.source().begin.line);
  std::string curve;
  if (const toml::node* n = t.get("curve")) {
    std::vector<std::string> names;
    for (const curve_keys& k : curve_table()) names.emplace_back(k.curve);
    if (auto s = plan_values::text_in(c, "curve", *n, names)) {
      curve = *s;
    }
  } else {
    c.fail(lines.header, "curve: missing in " + lines.table);
  }
  const curve_keys* keys = nullptr;
  for (const curve_keys& k : curve_table()) {
    if (k.curve == curve) keys = &k;
  }
  std::map<std::string, double> numbers;
  std::set<std::string> given;  // a value given but wrong is told as such, not as missing
  bool weight_given = false;
  for (const auto& [k, v] : t) {
    const std::string key(k.str());
    if (key == "curve") continue;
    if (key == "name") {
      if (auto s = plan_values::text_in(c, key, v, {})) layer.name = *s;
      continue;
    }
    const bool own = key == "thickness" || key == "vs" || key == "unit_weight" || key == "density";
    const bool of_curve =
        keys && std::find(keys->keys.begin(), keys->keys.end(), key) != keys->keys.end();
    if (!own && !of_curve) {
      if (keys || curve.empty()) {
        c.fail(line_of(v), "unknown key " + waveio::quoted(key) + " in " + lines.table +
                               (keys ? " with curve = \"" + curve + "\"" : ""));
      }
      continue;
    }
    if (key == "unit_weight" || key == "density") {
      if (weight_given) c.fail(line_of(v), key + ": give unit_weight or density, not both");
      weight_given = true;
    }
    if (key == "table") {
      given.insert(key);
      if (auto s = plan_values::text_in(c, key, v, {})) {
        if (auto table = read_curve_table(c, file.parent_path() / *s, line_of(v), lines)) {
          layer.curve = *table;
        }
      }
      lines.at[field::table] = line_of(v);
      continue;
    }
    given.insert(key);
    if (auto x = number_at(c, key, v)) numbers[key] = *x;
    const std::string_view as_field = key == "density" ? "unit_weight" : std::string_view(key);
    for (int f = 0; f <= static_cast<int>(field::table_damping); ++f) {
      if (site::field_name(static_cast<field>(f)) == as_field) {
        lines.at.emplace(static_cast<field>(f), line_of(v));
      }
    }
  }
  require_layer_keys(c, lines.header, lines.table, given, weight_given, keys);
  fill_layer(layer, curve, numbers);
  return layer;
}

void read_bedrock(checker& c, const toml::table& t, site::half_space& rock, profile_lines& lines) {
  lines.bedrock_header = static_cast<int>(t.source().begin.line);
  bool vs = false, weight = false;
  for (const auto& [k, v] : t) {
    const std::string key(k.str());
    if (key != "vs" && key != "unit_weight" && key != "density" && key != "damping") {
      c.fail(line_of(v), "unknown key " + waveio::quoted(key) + " in " + lines.bedrock_table);
      continue;
    }
    double x = 0.0;
    if (auto n = number_at(c, key, v)) x = *n;
    if (key == "vs") {
      rock.vs = x;
      vs = true;
      lines.bedrock[field::vs] = line_of(v);
    } else if (key == "unit_weight" || key == "density") {
      if (weight) c.fail(line_of(v), key + ": give unit_weight or density, not both");
      rock.unit_weight = key == "density" ? site::unit_weight_of_density(x) : x;
      weight = true;
      lines.bedrock[field::unit_weight] = line_of(v);
    } else {
      rock.damping = x;
      lines.bedrock[field::damping] = line_of(v);
    }
  }
  if (!vs) c.fail(lines.bedrock_header, "vs: missing in " + lines.bedrock_table);
  if (!weight)
    c.fail(lines.bedrock_header,
           "unit_weight: missing in " + lines.bedrock_table + " (or density)");
}

// The library's judgement of the values, told at the line that holds the value at fault.
files::file_error told(const site::profile_fault& f, const std::filesystem::path& file,
                       const profile_lines& lines) {
  const std::string message = name_of(f.field) + ": " + f.reason;
  auto line_in = [](const std::map<field, int>& at, field key, int otherwise) {
    const auto it = at.find(key);
    return it == at.end() ? otherwise : it->second;
  };
  switch (f.where) {
    case site::profile_fault::part::site:
      return {file.string(), line_in(lines.site, f.field, lines.site_header), message};
    case site::profile_fault::part::bedrock:
      return {file.string(), line_in(lines.bedrock, f.field, lines.bedrock_header), message};
    case site::profile_fault::part::layer: {
      const layer_lines& l = lines.layers[f.layer];
      if (f.row) return {l.table_file.string(), l.row_lines[*f.row], message};
      return {file.string(), line_in(l.at, f.field, l.header), message};
    }
  }
  return {file.string(), 0, message};
}

// The layers and the bedrock of t ([[PREFIXlayer]], [PREFIXbedrock]), then the library's
// judgement of the whole profile; the first fault, by line, is r's error.
void read_column(checker& c, const toml::table& t, const std::filesystem::path& file,
                 const std::string& prefix, profile_read& r, profile_lines& lines) {
  if (const toml::node* v = t.get("layer")) {
    if (!v->is_array_of_tables()) {
      c.fail(line_of(*v), "layer: expected [[" + prefix + "layer]] tables");
    } else {
      for (const toml::node& layer : *v->as_array()) {
        lines.layers.emplace_back().table = "[[" + prefix + "layer]]";
        r.profile.layers.push_back(read_layer(c, *layer.as_table(), file, lines.layers.back()));
      }
    }
  }
  lines.bedrock_table = "[" + prefix + "bedrock]";
  const toml::node* rock = t.get("bedrock");
  if (rock && rock->is_table()) {
    read_bedrock(c, *rock->as_table(), r.profile.bedrock, lines);
  } else if (rock) {
    c.fail(line_of(*rock), "bedrock: expected a [" + prefix + "bedrock] table");
  } else if (!c.error) {
    // A plan's [[site]] is told at its own line; a profile file as a whole.
    c.fail(prefix.empty() ? 0 : line_of(t), "expected a [" + prefix + "bedrock]");
  }
  if (!c.error) {
    if (const auto fault = site::check_profile(r.profile)) c.error = told(*fault, file, lines);
  }
  r.error = c.error;
}

}  // namespace

profile_read parse_profile(std::string_view text, const std::filesystem::path& file) {
  toml::table root;
  try {
    root = toml::parse(text, file.string());
  } catch (const toml::parse_error& e) {
    return {{}, plan_values::syntax_fault(e, file)};
  }
  checker c{file, std::nullopt};
  profile_lines lines;
  profile_read r;
  for (const auto& [k, v] : root) {
    const std::string key(k.str());
    if (key == "site" && v.is_table()) {
      lines.site_header = line_of(v);
      read_site(c, *v.as_table(), r.profile, lines, {}, "[site]");
    } else if (!(key == "layer" && v.is_array_of_tables()) && !(key == "bedrock" && v.is_table())) {
      c.fail(line_of(v),
             "unknown key " + waveio::quoted(key) + " (expected [site], [[layer]], [bedrock])");
    }
  }
  read_column(c, root, file, "", r, lines);
  return r;
}

profile_read profile_of_table(const toml::table& t, const std::filesystem::path& file,
                              const std::set<std::string>& plan_keys) {
  checker c{file, std::nullopt};
  profile_lines lines;
  profile_read r;
  lines.site_header = line_of(t);
  std::set<std::string> others = plan_keys;
  others.insert({"layer", "bedrock"});
  read_site(c, t, r.profile, lines, others, "[[site]]");
  read_column(c, t, file, "site.", r, lines);
  return r;
}

profile_read read_profile(const std::filesystem::path& file) {
  files::file_error e;
  const auto text = files::read_text(file, e);
  if (!text) return {{}, e};
  return parse_profile(*text, file);
}

}  // namespace wavetool
