#include "operations/site_results.h"

#include <nlohmann/json.hpp>
#include <vector>

#include "operations/result_json.h"
#include "site/column.h"
#include "waveio/text_fields.h"

namespace wavetool {
namespace {

using waveio::shortest_text;

constexpr const char* table_header =
    "layer,top_m,bottom_m,vs_initial_m_s,vs_m_s,g_ratio,damping,strain_eff_pct,strain_max_pct,"
    "stress_max_kpa,stress_ratio,pga_gal,pgv_cm_s,pgd_cm";
constexpr const char* passes_header = "pass,error,layer,sublayer";

// A name inside a CSV field: a comma or a line break would split the row.
std::string csv_field(std::string text) {
  for (char& c : text) {
    if (c == ',') c = ';';
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return text;
}

nlohmann::ordered_json transfer_json(const site::transfer_function& t) {
  nlohmann::ordered_json j;
  j["frequency"] = t.frequency;
  j["amplitude"] = t.amplitude;
  return j;
}

}  // namespace

std::string layer_label(const site::site_profile& profile, std::size_t layer) {
  const std::string& name = profile.layers[layer].name;
  return name.empty() ? "layer " + std::to_string(layer + 1) : name;
}

std::string sublayer_label(const site::site_profile& profile, std::size_t sublayer) {
  const std::vector<site::sublayer> parts = site::divide_column(profile);
  const site::sublayer& s = parts[sublayer];
  return "layer " + waveio::quoted(layer_label(profile, s.layer)) + ", sublayer " +
         std::to_string(sublayer + 1) + " (" + waveio::short_text(s.top) + " to " +
         waveio::short_text(s.bottom) + " m)";
}

std::string site_table_text(const site::site_profile& profile, const site::site_response& r) {
  std::string text = std::string(table_header) + "\n";
  for (const site::sublayer_result& s : r.sublayers) {
    text += csv_field(layer_label(profile, s.layer));
    for (const double x :
         {s.top, s.bottom, s.vs_initial, s.vs, s.g_ratio, s.damping, s.strain_eff_pct,
          s.strain_max_pct, s.stress_max_kpa, s.stress_ratio, s.pga, s.pgv, s.pgd}) {
      text += "," + shortest_text(x);
    }
    text += "\n";
  }
  text += "\n" + std::string(passes_header) + "\n";
  for (std::size_t k = 0; k < r.passes.size(); ++k) {
    const site::pass_error& p = r.passes[k];
    const std::size_t layer = r.sublayers[p.sublayer].layer;
    text += std::to_string(k + 1) + "," + shortest_text(p.error) + "," +
            csv_field(layer_label(profile, layer)) + "," + std::to_string(p.sublayer + 1) + "\n";
  }
  return text;
}

std::string site_json_text(const site::site_profile& profile, const site::site_response& r,
                           const motion::motion_summary& surface) {
  nlohmann::ordered_json j;
  j["site"] = profile.name;
  j["layers"] = nlohmann::ordered_json::array();
  for (const site::sublayer_result& s : r.sublayers) {
    nlohmann::ordered_json l;
    l["name"] = layer_label(profile, s.layer);
    l["top"] = s.top;
    l["bottom"] = s.bottom;
    l["vs_initial"] = s.vs_initial;
    l["vs"] = s.vs;
    l["g_ratio"] = s.g_ratio;
    l["damping"] = s.damping;
    l["strain_eff_pct"] = s.strain_eff_pct;
    l["strain_max_pct"] = s.strain_max_pct;
    l["stress_max_kpa"] = s.stress_max_kpa;
    l["stress_ratio"] = s.stress_ratio;
    l["pga"] = s.pga;
    l["pgv"] = s.pgv;
    l["pgd"] = s.pgd;
    j["layers"].push_back(l);
  }
  j["iterations"] = r.passes.size();
  j["converged"] = r.converged;
  j["error"] = r.passes.empty() ? 0.0 : r.passes.back().error;
  j["passes"] = nlohmann::ordered_json::array();
  for (const site::pass_error& p : r.passes) j["passes"].push_back(p.error);
  j["method"] = profile.method == site::site_method::linear ? "linear" : "equivalent-linear";
  j["complex_modulus"] = site::modulus_form_names[static_cast<std::size_t>(profile.form)];
  j["strain_ratio"] = profile.strain_ratio;
  nlohmann::ordered_json measures;
  add_measures(measures, surface, false);
  j["surface"] = measures;
  j["transfer_initial"] = transfer_json(r.initial);
  j["transfer_compatible"] = transfer_json(r.compatible);
  return j.dump(2) + "\n";
}

std::string site_verdict(const site::site_profile& profile, const site::site_response& r) {
  const std::size_t passes = r.passes.size();
  const std::string count = std::to_string(passes) + (passes == 1 ? " pass" : " passes");
  if (profile.method == site::site_method::linear) {
    return "linear: one pass with the small-strain properties\n";
  }
  const site::pass_error& last = r.passes.back();
  const std::string error = "error " + waveio::short_text(last.error);
  const std::string tolerance = "tolerance " + shortest_text(profile.tolerance);
  if (r.converged)
    return "converged after " + count + ", " + error + " below the " + tolerance + "\n";
  return "not converged after " + count + " (max_iterations): " + error + " in " +
         sublayer_label(profile, last.sublayer) + ", " + tolerance + "\n";
}

}  // namespace wavetool
