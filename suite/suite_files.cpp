#include "suite/suite_files.h"

#include <algorithm>

#include "operations/result_json.h"
#include "operations/site_job.h"
#include "operations/site_results.h"
#include "operations/spectrum_keys.h"
#include "operations/wave_file.h"
#include "waveio/text_fields.h"

namespace wavetool {
namespace {

// The target's spectrum with the keys of its kind, as a plan names them.
nlohmann::ordered_json spectrum_json(const spectrum_request& r) {
  nlohmann::ordered_json j;
  for (const auto& [key, value] : described_keys(r)) {
    std::visit([&j, &key](const auto& v) { j[key] = v; }, value);
  }
  return j;
}

std::vector<std::string_view> export_names(const fit_overrides& used) {
  std::vector<std::string_view> exports;
  for (const export_layout layout : used.exports.value_or(std::vector<export_layout>{}))
    exports.push_back(layout_name(layout));
  return exports;
}

}  // namespace

std::string_view scaling_key(scale_measure m) {
  return m == scale_measure::pgv ? "pgv" : m == scale_measure::pga ? "pga" : "scale";
}

std::vector<fit_item> fits_of(const plan& p) {
  std::vector<fit_item> fits;
  fits.reserve(p.targets.size() * p.waves.size());
  for (std::size_t t = 0; t < p.targets.size(); ++t) {
    for (std::size_t w = 0; w < p.waves.size(); ++w) fits.push_back({t, w});
  }
  return fits;
}

std::string fit_name(const plan& p, const fit_item& f) {
  return p.targets[f.target].name + "/" + p.waves[f.wave].name;
}

std::filesystem::path fit_file(const std::filesystem::path& dir, const plan& p, const fit_item& f,
                               const std::string& extension) {
  return dir / p.targets[f.target].name / (p.waves[f.wave].name + extension);
}

std::filesystem::path site_file(const std::filesystem::path& dir, const plan& p, const fit_item& f,
                                const std::string& extension) {
  const plan_site& s = p.sites[*p.targets[f.target].site];
  return fit_file(dir, p, f, "." + s.name + extension);
}

nlohmann::ordered_json options_json(const plan& p, const fit_item& f) {
  const fit_overrides used = settings_of(p, f.target, f.wave);
  const motion::design_settings s = design_settings_of(used);
  nlohmann::ordered_json o = spectrum_json(p.targets[f.target].spectrum);
  // Only where the plan has a site or a scaled wave, so other plans' results keep their bytes.
  if (const auto site = p.targets[f.target].site) o["site"] = p.sites[*site].name;
  if (const auto& scaling = p.waves[f.wave].scaling) {
    o["fit"] = false;
    o[std::string(scaling_key(scaling->measure))] = scaling->value;
    o["export"] = export_names(used);
    return o;
  }
  o["corners"] = {json_float(s.corners.tb), json_float(s.corners.tc), json_float(s.corners.td),
                  json_float(s.corners.te)};
  o["max_iterations"] = s.max_iterations;
  o["no_rest"] = !s.rest;
  o["keep_step"] = used.keep_step.value_or(false);
  o["export"] = export_names(used);
  // Only where the plan sets it, so the results of plans without it keep their bytes.
  if (used.max_pgd) o["max_pgd"] = *used.max_pgd;
  return o;
}

std::string fit_result_json(const plan& p, const fit_item& f, const fit_job_result& r) {
  const motion::criteria& c = r.fit.kept.measures;
  const motion::motion_summary& m = r.measures;
  nlohmann::ordered_json j;
  j["target"] = p.targets[f.target].name;
  j["wave"] = p.waves[f.wave].name;
  j["status"] = p.waves[f.wave].scaling ? status_scaled
                : r.fit.passed          ? status_passed
                                        : status_not_passed;
  j["iterations"] = r.fit.last.iteration;
  j["cr1"] = json_float(c.cr1);
  j["cr2"] = json_float(c.cr2);
  j["cr3"] = json_float(c.cr3);
  j["cr4"] = json_float(c.cr4);
  add_measures(j, m, true);
  j["options"] = options_json(p, f);
  return j.dump(2) + "\n";
}

std::optional<fit_summary> read_fit_result(const std::filesystem::path& dir, const plan& p,
                                           const fit_item& f, files::file_error& error) {
  const std::filesystem::path file = fit_file(dir, p, f, ".json");
  const auto text = files::read_text(file, error);
  if (!text) return std::nullopt;
  fit_summary s;
  try {
    s.json = nlohmann::ordered_json::parse(*text);
    s.target = s.json.at("target").get<std::string>();
    s.wave = s.json.at("wave").get<std::string>();
    const std::string status = s.json.at("status").get<std::string>();
    s.passed = status == status_passed;
    s.scaled = status == status_scaled;
    s.iterations = s.json.at("iterations").get<std::int64_t>();
    s.cr1 = static_cast<float>(s.json.at("cr1").get<double>());
    s.cr2 = static_cast<float>(s.json.at("cr2").get<double>());
    s.cr3 = static_cast<float>(s.json.at("cr3").get<double>());
    s.cr4 = static_cast<float>(s.json.at("cr4").get<double>());
    motion::motion_summary& m = s.measures;
    m.pga = s.json.at("pga").get<double>();
    for (const measure_entry& e : double_measures) m.*e.value = s.json.at(e.key).get<double>();
    m.samples = s.json.at("samples").get<std::size_t>();
    m.dt = s.json.at("dt").get<double>();
  } catch (const nlohmann::json::exception&) {
    error = {file.string(), 0,
             "not a fit's result: expected the JSON object the suite writes, with target, wave, "
             "status, iterations, cr1 to cr4 and the measures"};
    return std::nullopt;
  }
  if (s.target != p.targets[f.target].name || s.wave != p.waves[f.wave].name) {
    error = {file.string(), 0,
             "the result of " + s.target + "/" + s.wave + ", not of " + fit_name(p, f)};
    return std::nullopt;
  }
  return s;
}

site_outcome site_of_wave(const plan_site& s, const wave& bedrock) {
  const site_run run = run_site_analysis(s.profile, bedrock, site_points{});
  site_outcome o;
  if (run.failure) {
    o.failure = run.failure;
    return o;
  }
  o.texts = {run.wave_text, site_json_text(s.profile, run.response, run.measures)};
  o.converged = run.response.converged;
  o.notes = beyond_table_notes(s.profile, run.response);
  return o;
}

site_summary read_site_summary(const std::string& json) {
  site_summary s;
  s.json = nlohmann::ordered_json::parse(json);
  s.converged = s.json.at("converged").get<bool>();
  const nlohmann::ordered_json& m = s.json.at("surface");
  s.surface.pga = m.at("pga").get<double>();
  for (const measure_entry& e : double_measures) s.surface.*e.value = m.at(e.key).get<double>();
  s.surface.samples = m.at("samples").get<std::size_t>();
  s.surface.dt = m.at("dt").get<double>();
  return s;
}

std::string summary_header(bool sites) {
  std::string header = "target,wave,status,iterations,cr1,cr2,cr3,cr4,pga";
  for (const measure_entry& e : double_measures) header += "," + std::string(e.key);
  if (sites) header += ",site,site_converged,surface_pga,surface_pgv,surface_pgd";
  return header;
}

std::string summary_csv(const std::vector<fit_summary>& fits) {
  const bool sites =
      std::any_of(fits.begin(), fits.end(), [](const fit_summary& s) { return s.site; });
  std::string text = summary_header(sites) + "\n";
  for (const fit_summary& s : fits) {
    const motion::motion_summary& m = s.measures;
    // The scaled wave's status holds a comma: quoted, as CSV quotes a field.
    text += s.target + "," + s.wave + "," +
            (s.scaled   ? "\"" + std::string(status_scaled) + "\""
             : s.passed ? status_passed
                        : status_not_passed) +
            "," + std::to_string(s.iterations);
    for (const float c : {s.cr1, s.cr2, s.cr3, s.cr4}) text += "," + waveio::shortest_text(c);
    // The peak is a sample of the wave: shown as the float it is.
    text += "," + waveio::shortest_text(static_cast<float>(m.pga));
    for (const measure_entry& e : double_measures) text += "," + waveio::shortest_text(m.*e.value);
    if (s.site) {
      const motion::motion_summary& surface = s.site->surface;
      text += "," + s.site->json.at("site").get<std::string>() + "," +
              (s.site->converged ? "converged" : "not converged") + "," +
              waveio::shortest_text(static_cast<float>(surface.pga)) + "," +
              waveio::shortest_text(surface.pgv) + "," + waveio::shortest_text(surface.pgd);
    } else if (sites) {
      text += ",,,,,";
    }
    text += "\n";
  }
  return text;
}

std::string summary_json(const std::vector<fit_summary>& fits) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const fit_summary& s : fits) {
    nlohmann::ordered_json j = s.json;
    if (s.site) {
      const nlohmann::ordered_json& site = s.site->json;
      nlohmann::ordered_json brief;
      for (const char* key : {"site", "converged", "iterations", "error", "surface"})
        brief[key] = site.at(key);
      j["site"] = brief;
    }
    list.push_back(j);
  }
  return list.dump(2) + "\n";
}

}  // namespace wavetool
