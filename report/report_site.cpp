// The site's part of the report: what the waves of a target become at the site's ground surface,
// drawn from the files the site analyses wrote (WAVE.SITE.csv, WAVE.SITE.json).
#include <array>
#include <cstdio>
#include <limits>

#include "motion/design_spectrum.h"
#include "operations/wave_file.h"
#include "report/report_parts.h"
#include "waveio/text_fields.h"

namespace wavetool::report_parts {
namespace {

using json = nlohmann::ordered_json;

double number(const json& j, const char* key) {
  const auto at = j.find(key);
  return at != j.end() && at->is_number() ? at->get<double>()
                                          : std::numeric_limits<double>::quiet_NaN();
}
// Strains span decades: three significant digits.
std::string g3(double x) {
  char b[40];
  const int n = std::snprintf(b, sizeof b, "%.3g", x);
  return {b, static_cast<std::size_t>(n)};
}

// The simplified surface spectrum of the ground class the site names for comparison: the one
// `--spectrum surface --soil N` gives with the target's other keys.
spectrum_choice compared_soil(const plan_target& target, std::int64_t soil) {
  spectrum_keys keys = target.keys;
  keys["spectrum"] = "surface";
  keys["soil"] = std::to_string(soil);
  return spectrum_from_keys(keys, "");
}

// Columns: period, the bedrock target, the compared soil's spectrum (when there is one), each
// wave's surface spectrum, their mean. The first line names the columns; the waves' names title
// their lines.
std::string surface_spectra_data(std::span<const double> periods, std::span<const double> target,
                                 const std::vector<double>& soil,
                                 const std::vector<std::vector<double>>& surface,
                                 const std::vector<std::string>& names) {
  std::string text = std::string("period target") + (soil.empty() ? "" : " soil");
  for (const std::string& name : names) text += " " + name;
  text += " mean\n";
  for (std::size_t k = 0; k < periods.size(); ++k) {
    text += g9(periods[k]) + " " + g9(target[k]) + (soil.empty() ? "" : " " + g9(soil[k]));
    double sum = 0.0;
    for (const std::vector<double>& sa : surface) {
      sum += sa[k];
      text += " " + g9(sa[k]);
    }
    text += " " + g9(sum / static_cast<double>(surface.size())) + "\n";
  }
  return text;
}

// Columns: period, each wave's surface spectrum over its own bedrock spectrum.
std::string surface_ratio_data(std::span<const double> periods,
                               const std::vector<std::vector<double>>& surface,
                               const std::vector<std::vector<double>>& bedrock,
                               const std::vector<std::string>& names) {
  std::string text = "period";
  for (const std::string& name : names) text += " " + name;
  text += "\n";
  for (std::size_t k = 0; k < periods.size(); ++k) {
    text += g9(periods[k]);
    for (std::size_t w = 0; w < surface.size(); ++w)
      text += " " + g9(surface[w][k] / bedrock[w][k]);
    text += "\n";
  }
  return text;
}

// Columns: frequency (Hz), the initial and the strain-compatible transfer function of one wave's
// analysis, from above 0 to the highest frequency the sublayers resolve.
std::string transfer_data(const json& site, const std::string& name, double max_frequency) {
  const json& initial = site.at("transfer_initial");
  const json& compatible = site.at("transfer_compatible");
  const json& f = initial.at("frequency");
  std::string text = "frequency initial " + name + "\n";
  for (std::size_t k = 0; k < f.size() && k < compatible.at("amplitude").size(); ++k) {
    const double hz = f[k].get<double>();
    if (hz <= 0.0 || hz > max_frequency) continue;
    text += g9(hz) + " " + g9(initial.at("amplitude")[k].get<double>()) + " " +
            g9(compatible.at("amplitude")[k].get<double>()) + "\n";
  }
  return text;
}

// The quantities of the profile figure, by the JSON's keys, with the factor to the figure's unit.
// Each panel's range: from zero, so that a profile of one value still has a range; strains span
// decades, on a log axis.
struct profile_quantity {
  const char* key;
  double factor;
  const char* label;
  const char* range;
};
constexpr std::array<profile_quantity, 6> profile_quantities{
    {{"vs", 1.0, "Vs (m/s)", "set xrange [0:*]\n"},
     {"g_ratio", 1.0, "G/G0", "set xrange [0:1.05]\n"},
     {"damping", 100.0, "Damping (%)", "set xrange [0:*]\n"},
     {"strain_max_pct", 1.0, "Peak strain (%)", "set xrange [*:*]\nset logscale x\n"},
     {"pga", 1.0, "Peak acceleration (gal)", "set xrange [0:*]\nunset logscale x\n"},
     {"stress_max_kpa", 1.0, "Peak shear stress (kPa)", "set xrange [0:*]\n"}}};

// Columns: depth (m), Vs initial, then profile_quantities; each sublayer as two rows, at its top
// and its bottom, so that the lines step at the sublayers' bounds. The third column's heading is
// the wave's name, which titles its lines.
std::string profile_data(const json& site, const std::string& name) {
  std::string text = "depth vs_initial " + name;
  for (std::size_t q = 1; q < profile_quantities.size(); ++q)
    text += std::string(" ") + profile_quantities[q].key;
  text += "\n";
  for (const json& layer : site.at("layers")) {
    for (const char* bound : {"top", "bottom"}) {
      text += g9(number(layer, bound)) + " " + g9(number(layer, "vs_initial"));
      for (const profile_quantity& q : profile_quantities)
        text += " " + g9(q.factor * number(layer, q.key));
      text += "\n";
    }
  }
  return text;
}

std::string lines_of_waves(const std::vector<std::string>& files, int column, bool titled) {
  std::string plot;
  for (std::size_t k = 0; k < files.size(); ++k) {
    plot += std::string(k ? ", " : "") + "'" + files[k] + "' using " + std::to_string(column) +
            ":1 with lines lw 1.5 lt " + std::to_string(k + 1) +
            (titled ? " title columnheader(3)" : " notitle");
  }
  return plot;
}

// Six panels against depth, downwards: Vs initial and compatible, G/G0, damping, peak strain,
// peak acceleration and peak shear stress.
std::string profile_script(const std::vector<std::string>& files, double depth) {
  std::string s = "set multiplot layout 2,3\nset yrange [" + g9(depth) +
                  ":0]\nset grid lc rgb '#d0d0d0'\nset ylabel 'Depth (m)'\nset key bottom left "
                  "box opaque\nset xtics rotate by -60\n";
  for (std::size_t q = 0; q < profile_quantities.size(); ++q) {
    s += std::string(profile_quantities[q].range) + "set xlabel '" + profile_quantities[q].label +
         "'\n";
    if (q == 0) {
      s += "plot '" + files[0] +
           "' using 2:1 with lines lw 2 dt 2 lc rgb '#000000' title 'initial', " +
           lines_of_waves(files, 3, true) + "\nunset key\n";
    } else {
      s += "plot " + lines_of_waves(files, static_cast<int>(q + 3), false) + "\n";
    }
  }
  return s + "unset multiplot\n";
}

std::string transfer_script(const std::vector<std::string>& files, double max_frequency) {
  std::string plot =
      "plot '" + files[0] + "' using 1:2 with lines lw 2 dt 2 lc rgb '#000000' title 'initial'";
  for (std::size_t k = 0; k < files.size(); ++k) {
    plot += ", '" + files[k] + "' using 1:3 with lines lw 1 lt " + std::to_string(k + 1) +
            " title columnheader(3)";
  }
  return "set logscale x\nset xrange [0.1:" + g9(max_frequency) +
         "]\nset yrange [0:*]\nset grid xtics mxtics ytics lc rgb '#d0d0d0'\n"
         "set xlabel 'Frequency (Hz)'\nset ylabel 'Surface / bedrock outcrop'\n"
         "set key top left box opaque\n" +
         plot + "\n";
}

std::string surface_spectra_script(const std::string& data, const spectrum_request& s, bool soil,
                                   std::size_t n) {
  const int first_wave = soil ? 4 : 3;
  std::string plot =
      "plot '" + data + "' using 1:2 with lines lw 3 lc rgb '#000000' title 'bedrock target'";
  if (soil)
    plot += ", '' using 1:3 with lines lw 3 dt 3 lc rgb '#2a7f2a' title 'simplified surface'";
  for (std::size_t k = 0; k < n; ++k)
    plot += ", '' using 1:" + std::to_string(first_wave + static_cast<int>(k)) +
            " with lines lw 1 lt " + std::to_string(k + 1);
  plot += ", '' using 1:" + std::to_string(first_wave + static_cast<int>(n)) +
          " with lines lw 2 dt 2 lc rgb '#c00000' title 'mean at the surface'";
  return spectra_axes(s) + plot + "\n";
}

std::string surface_ratio_script(const std::string& data, const spectrum_request& s,
                                 std::size_t n) {
  std::string plot = "plot";
  for (std::size_t k = 0; k < n; ++k) {
    plot += std::string(k ? "," : "") + " '" + data + "' using 1:" + std::to_string(k + 2) +
            " with lines lw 1 lt " + std::to_string(k + 1);
  }
  return "set key autotitle columnhead\nset logscale x\nset xrange [" + g9(s.window_min) + ":" +
         g9(s.window_max) +
         "]\nset yrange [0:*]\nset grid xtics mxtics ytics lc rgb '#d0d0d0'\n"
         "set xlabel 'Period (s)'\nset ylabel 'Surface / bedrock spectrum'\n"
         "set key top right box opaque\nset arrow from graph 0, first 1 to graph 1, first 1 "
         "nohead lw 1 dt 2 lc rgb '#000000'\n" +
         plot + "\n";
}

// One row per wave: the analysis's passes and verdict, and the surface motion's peaks.
std::string analyses_table(const target_waves& waves) {
  std::string s = "<table class=\"site\"><tr>";
  for (const char* h : {"wave", "site analysis", "passes", "last error", "surface PGA (gal)",
                        "PGV (cm/s)", "PGD (cm)"})
    s += "<th>" + std::string(h) + "</th>";
  s += "</tr>\n";
  for (const fit_summary& r : waves.rows) {
    if (!r.site) {
      s += "<tr class=\"failed\"><td>" + html_escaped(r.wave) +
           "</td><td class=\"fail\" colspan=\"6\">no site results</td></tr>\n";
      continue;
    }
    const bool ok = r.site->converged;
    const motion::motion_summary& m = r.site->surface;
    s += "<tr" + std::string(ok ? "" : " class=\"failed\"") + "><td>" + html_escaped(r.wave) +
         "</td>" + (ok ? "<td>converged" : "<td class=\"fail\">not converged &#x2717;") +
         "</td><td>" + std::to_string(r.site->json.value("iterations", 0)) + "</td><td>" +
         g3(number(r.site->json, "error")) + "</td><td>" + fixed(m.pga, 1) + "</td><td>" +
         fixed(m.pgv, 2) + "</td><td>" + fixed(m.pgd, 2) + "</td></tr>\n";
  }
  return s + "</table>\n";
}

// The sublayers of one wave's analysis, top down, as its JSON holds them.
std::string layers_table(const json& site) {
  std::string s = "<table class=\"layers\"><tr>";
  for (const char* h : {"layer", "top (m)", "bottom (m)", "Vs initial (m/s)", "Vs (m/s)", "G/G0",
                        "damping (%)", "strain eff. (%)", "strain peak (%)", "stress (kPa)",
                        "stress ratio", "PGA (gal)", "PGV (cm/s)", "PGD (cm)"})
    s += "<th>" + std::string(h) + "</th>";
  s += "</tr>\n";
  for (const json& l : site.at("layers")) {
    s += "<tr><td>" + html_escaped(l.value("name", "")) + "</td>";
    for (const std::string& cell :
         {fixed(number(l, "top"), 2), fixed(number(l, "bottom"), 2),
          fixed(number(l, "vs_initial"), 1), fixed(number(l, "vs"), 1),
          fixed(number(l, "g_ratio"), 3), fixed(100.0 * number(l, "damping"), 2),
          g3(number(l, "strain_eff_pct")), g3(number(l, "strain_max_pct")),
          fixed(number(l, "stress_max_kpa"), 2), fixed(number(l, "stress_ratio"), 3),
          fixed(number(l, "pga"), 1), fixed(number(l, "pgv"), 2), fixed(number(l, "pgd"), 2)})
      s += "<td>" + cell + "</td>";
    s += "</tr>\n";
  }
  return s + "</table>\n";
}

// How the site was analysed, in the engineer's words.
std::string method_text(const plan_site& site) {
  const site::site_profile& p = site.profile;
  const auto form = static_cast<std::size_t>(p.form);
  std::string text =
      p.method == site::site_method::linear
          ? "Linear: the small-strain properties, one pass."
          : "Equivalent-linear: strain-compatible G/G0 and damping at " +
                waveio::shortest_text(p.strain_ratio) +
                " &times; the peak strain, repeated until no layer changes by more than " +
                waveio::shortest_text(p.tolerance) + " (at most " +
                std::to_string(p.max_iterations) + " passes).";
  return text + " Complex shear modulus " + std::string(site::modulus_form_names[form]) +
         ": G* = " + std::string(site::modulus_form_formulas[form]) +
         ". The input is the bedrock wave as an outcrop motion.";
}

}  // namespace

std::optional<files::file_error> site_section(const plan& p, std::size_t t,
                                              const target_waves& waves,
                                              const std::filesystem::path& dir,
                                              const std::filesystem::path& work,
                                              figure_queue& figures, std::string& body) {
  const plan_target& target = p.targets[t];
  const plan_site& site = p.sites[*target.site];
  std::vector<std::string> names, transfers, profiles;
  std::vector<std::vector<double>> surface, bedrock;
  const std::string tag = std::to_string(t);
  for (std::size_t k = 0; k < waves.fits.size(); ++k) {
    if (!waves.rows[k].site) continue;
    const wave_result w = read_wave(site_file(dir, p, waves.fits[k], ".csv"));
    if (!w.ok()) return w.error;
    const json& results = waves.rows[k].site->json;
    const std::string wave_tag = tag + "_" + std::to_string(k);
    transfers.push_back("site_transfer" + wave_tag + ".dat");
    profiles.push_back("site_profile" + wave_tag + ".dat");
    if (const auto e =
            write_data(work / transfers.back(),
                       transfer_data(results, waves.names[k], site.profile.max_frequency)))
      return files::file_error{transfers.back(), 0, *e};
    if (const auto e = write_data(work / profiles.back(), profile_data(results, waves.names[k])))
      return files::file_error{profiles.back(), 0, *e};
    names.push_back(waves.names[k]);
    surface.push_back(response_at(w.w, target.spectrum, waves.periods));
    bedrock.push_back(waves.bedrock_sa[k]);
  }
  body += "<section class=\"site\"><h2>Site " + html_escaped(site.name) + " under target " +
          html_escaped(target.name) + "</h2>\n<p>" + method_text(site) + "</p>\n" +
          analyses_table(waves);
  if (names.empty()) {
    body += "</section>\n";
    return std::nullopt;
  }
  std::vector<double> soil;
  if (site.compare_soil) {
    const spectrum_choice c = compared_soil(target, *site.compare_soil);
    if (!c.ok()) return files::file_error{p.file.string(), site.line, c.error};
    soil = target_at(c.request, waves.periods);
  }
  const std::string spectra = "site_spectra" + tag, ratios = "site_ratios" + tag;
  const std::vector<double> aim = target_at(target.spectrum, waves.periods);
  if (const auto e = write_data(work / (spectra + ".dat"),
                                surface_spectra_data(waves.periods, aim, soil, surface, names)))
    return files::file_error{spectra, 0, *e};
  if (const auto e = write_data(work / (ratios + ".dat"),
                                surface_ratio_data(waves.periods, surface, bedrock, names)))
    return files::file_error{ratios, 0, *e};
  double depth = 0.0;
  for (const fit_summary& r : waves.rows) {
    if (r.site && !r.site->json.at("layers").empty())
      depth = number(r.site->json.at("layers").back(), "bottom");
  }
  const std::string soil_words = soil.empty()
                                     ? ""
                                     : ", the simplified surface spectrum of soil " +
                                           std::to_string(*site.compare_soil) + " for comparison";
  body +=
      figures.at(
          spectra,
          surface_spectra_script(spectra + ".dat", target.spectrum, !soil.empty(), names.size()),
          420,
          "Response spectra at the ground surface of each wave and their mean, the "
          "bedrock target" +
              soil_words) +
      figures.at(ratios, surface_ratio_script(ratios + ".dat", target.spectrum, names.size()), 420,
                 "Each wave's response spectrum at the surface over its spectrum at the bedrock") +
      "<h3>Soil column</h3>\n" +
      figures.at("site_profile" + tag, profile_script(profiles, depth), 640,
                 "The sublayers against depth: initial and strain-compatible properties and "
                 "peak response of each wave's analysis",
                 "profile") +
      figures.at("site_transfer" + tag, transfer_script(transfers, site.profile.max_frequency), 420,
                 "Transfer functions, surface over bedrock outcrop: initial (small strain, the "
                 "same for every wave) and strain-compatible of each wave");
  for (std::size_t k = 0; k < waves.fits.size(); ++k) {
    if (!waves.rows[k].site) continue;
    body += "<h3>Sublayers: " + html_escaped(fit_name(p, waves.fits[k])) +
            (waves.rows[k].site->converged ? "" : " (not converged)") + "</h3>\n" +
            layers_table(waves.rows[k].site->json);
  }
  body += "</section>\n";
  return std::nullopt;
}

}  // namespace wavetool::report_parts
