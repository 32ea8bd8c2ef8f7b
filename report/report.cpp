#include "report/report.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "motion/criteria.h"
#include "motion/measures.h"
#include "motion/target_grid.h"
#include "operations/wave_file.h"
#include "report/report_parts.h"
#include "waveio/text_fields.h"

namespace wavetool {

namespace report_parts {
std::string g9(double x) {
  char b[40];
  const int n = std::snprintf(b, sizeof b, "%.9g", x);
  return {b, static_cast<std::size_t>(n)};
}
std::string fixed(double x, int decimals) {
  char b[48];
  const int n = std::snprintf(b, sizeof b, "%.*f", decimals, x);
  return {b, static_cast<std::size_t>(n)};
}
std::string spectra_axes(const spectrum_request& s) {
  return "set key autotitle columnhead\nset logscale xy\nset xrange [" + g9(s.window_min) + ":" +
         g9(s.window_max) +
         "]\nset grid xtics mxtics ytics lc rgb '#d0d0d0'\nset xlabel 'Period (s)'\n"
         "set ylabel 'Spectral acceleration, " +
         waveio::short_text(100.0 * s.spectrum.damping) +
         " % damping (gal)'\nset key bottom left box opaque\n";
}
std::optional<std::string> write_data(const std::filesystem::path& file, const std::string& text) {
  if (const auto e = files::write_atomically(file, text)) return describe(*e);
  return std::nullopt;
}
}  // namespace report_parts

namespace {

using report_parts::fixed;
using report_parts::g9;
using report_parts::spectra_axes;
using report_parts::write_data;
// Inline SVG: without the XML prologue, every id and reference made unique to the figure.
std::string inline_svg(const std::string& svg, const std::string& prefix) {
  std::string s = svg.substr(std::min(svg.find("<svg"), svg.size()));
  for (const std::string from : {"id='", "href='#", "url(#"}) {
    const std::string to = from + prefix;
    for (std::size_t at = s.find(from); at != std::string::npos;
         at = s.find(from, at + to.size())) {
      s.replace(at, from.size(), to);
    }
  }
  return s;
}

// The definition of the target, in the engineer's terms: its name and parameters as motion
// describes them, with the rows of a table.
std::string target_definition(const spectrum_request& s) {
  std::string text = html_escaped(motion::description(s.spectrum)) + ".";
  if (s.spectrum.kind == motion::spectrum_kind::table) {
    text +=
        "</p>\n<table class=\"criteria\"><tr><th>period (s)</th><th>S<sub>a</sub> "
        "(gal)</th></tr>\n";
    for (std::size_t k = 0; k < s.spectrum.periods.size(); ++k) {
      text += "<tr><td>" + g9(s.spectrum.periods[k]) + "</td><td>" + g9(s.spectrum.sa[k]) +
              "</td></tr>\n";
    }
    text += "</table>\n<p>";
  }
  return text;
}

// The criteria as judging takes them (the measure in motion's words, the job's window).
std::string criteria_table(const spectrum_request& s) {
  std::string table =
      "<table class=\"criteria\"><tr><th>criterion</th><th>measure</th><th>periods</th>"
      "<th>limit</th></tr>\n";
  for (std::size_t k = 0; k < motion::criteria_count; ++k) {
    const motion::criterion_rule& rule = motion::criteria_rules[k];
    const motion::period_window w = motion::window_of(k, criteria_window(s));
    table += "<tr><td>" + std::to_string(k + 1) + "</td><td>" + html_escaped(rule.what) +
             "</td><td>" + waveio::shortest_text(w.shortest) + "&ndash;" +
             waveio::shortest_text(w.longest) + " s</td><td>" +
             (rule.compare == motion::comparison::at_least ? "&ge; " : "&le; ") +
             waveio::shortest_text(rule.limit) + "</td></tr>\n";
  }
  return table + "<tr><td colspan=\"3\">at rest: end velocity, end displacement</td><td>&le; " +
         g9(motion::rest_velocity_limit) + " cm/s, " + g9(motion::rest_displacement_limit) +
         " cm</td></tr></table>\n";
}

std::string results_table(std::span<const fit_summary> rows) {
  std::string s = "<table class=\"results\"><tr>";
  for (const char* h :
       {"wave", "status", "iterations", "cr1", "cr2", "cr3", "cr4", "PGA (gal)", "PGV (cm/s)",
        "PGD (cm)", "end v (cm/s)", "end d (cm)", "Arias (m/s)", "D5&ndash;95 (s)"}) {
    s += "<th>" + std::string(h) + "</th>";
  }
  s += "</tr>\n";
  for (const fit_summary& r : rows) {
    const motion::criteria_verdict v = motion::judge({r.cr1, r.cr2, r.cr3, r.cr4});
    // A scaled record's criteria are for information: shown, never marked.
    const auto cell = [&r](bool ok, const std::string& text) {
      ok = ok || r.scaled;
      return std::string(ok ? "<td>" : "<td class=\"fail\">") + text + (ok ? "" : " &#x2717;") +
             "</td>";
    };
    const motion::motion_summary& m = r.measures;
    const bool rest = motion::at_rest({m.end_velocity, m.end_displacement});
    const std::string status = r.scaled ? status_scaled : r.passed ? "passed" : "not passed";
    s += "<tr" + std::string(r.passed || r.scaled ? "" : " class=\"failed\"") + "><td>" +
         html_escaped(r.wave) + "</td>" + cell(r.passed, status) + "<td>" +
         std::to_string(r.iterations) + "</td>" + cell(v.cr1, fixed(r.cr1, 4)) +
         cell(v.cr2, fixed(r.cr2, 4)) + cell(v.cr3, fixed(r.cr3, 4)) +
         cell(v.cr4, fixed(r.cr4, 4)) + "<td>" + fixed(m.pga, 1) + "</td><td>" + fixed(m.pgv, 2) +
         "</td><td>" + fixed(m.pgd, 2) + "</td>" + cell(rest, fixed(m.end_velocity, 4)) +
         cell(rest, fixed(m.end_displacement, 4)) + "<td>" + fixed(m.arias, 3) + "</td><td>" +
         fixed(m.d5_95, 2) + "</td></tr>\n";
  }
  return s + "</table>\n";
}

// Spectra and ratios of one target's waves at the report's periods; columns: period, target,
// each wave, their mean (spectra) or each wave's ratio (ratios).
struct target_data {
  std::string spectra, ratios;
};
target_data spectra_data(std::span<const double> t, std::span<const double> target,
                         const std::vector<std::vector<double>>& sa,
                         const std::vector<std::string>& names) {
  // The first line names the columns: gnuplot titles the waves from it, so that no name is
  // written into a script.
  target_data d;
  d.spectra = "period target";
  d.ratios = "period";
  for (const std::string& name : names) {
    d.spectra += " " + name;
    d.ratios += " " + name;
  }
  d.spectra += " mean\n";
  d.ratios += "\n";
  for (std::size_t k = 0; k < t.size(); ++k) {
    double sum = 0.0;
    d.spectra += g9(t[k]) + " " + g9(target[k]);
    d.ratios += g9(t[k]);
    for (const std::vector<double>& s : sa) {
      sum += s[k];
      d.spectra += " " + g9(s[k]);
      d.ratios += " " + g9(s[k] / target[k]);
    }
    d.spectra += " " + g9(sum / static_cast<double>(sa.size())) + "\n";
    d.ratios += "\n";
  }
  return d;
}

std::string spectra_script(const std::string& data, const spectrum_request& s, std::size_t n) {
  std::string plot =
      "plot '" + data + "' using 1:2 with lines lw 3 lc rgb '#000000' title 'target'";
  for (std::size_t k = 0; k < n; ++k) {
    plot +=
        ", '' using 1:" + std::to_string(k + 3) + " with lines lw 1 lt " + std::to_string(k + 1);
  }
  plot += ", '' using 1:" + std::to_string(n + 3) +
          " with lines lw 2 dt 2 lc rgb '#c00000' title 'mean of the waves'";
  return spectra_axes(s) + plot + "\n";
}

std::string ratio_script(const std::string& data, const spectrum_request& s, std::size_t n) {
  std::string plot = "plot";
  for (std::size_t k = 0; k < n; ++k) {
    plot += std::string(k ? "," : "") + " '" + data + "' using 1:" + std::to_string(k + 2) +
            " with lines lw 1 lt " + std::to_string(k + 1);
  }
  const std::string limit = waveio::shortest_text(motion::cr1_limit);
  return "set key autotitle columnhead\nset logscale x\nset xrange [" + g9(s.window_min) + ":" +
         g9(s.window_max) +
         "]\nset yrange [0.5:1.5]\nset grid xtics mxtics ytics lc rgb '#d0d0d0'\n"
         "set xlabel 'Period (s)'\nset ylabel 'Spectrum / target'\nset key top left box opaque\n"
         "set arrow from graph 0, first " +
         limit + " to graph 1, first " + limit +
         " nohead lw 2 lc rgb '#c00000'\nset label 'criterion 1: " + limit +
         "' at graph 0.99, first " + limit +
         " right offset 0,-0.8 tc rgb '#c00000'\nset arrow from graph 0, first 1 to graph 1, "
         "first 1 nohead lw 1 dt 2 lc rgb '#000000'\n" +
         plot + "\n";
}

// Acceleration, velocity and displacement from rest, one above the other, end values marked.
std::string motion_data(const wave& w, double& tend, double& vend, double& dend) {
  const std::vector<double> acc(w.acc.begin(), w.acc.end());
  std::vector<double> vel(acc.size()), dis(acc.size());
  const double dt = static_cast<double>(w.dt);
  motion::integrate_from_rest(acc, dt, vel, dis);
  std::string text;
  text.reserve(acc.size() * 40);
  for (std::size_t i = 0; i < acc.size(); ++i) {
    text += g9(static_cast<double>(i) * dt) + " " + g9(acc[i]) + " " + g9(vel[i]) + " " +
            g9(dis[i]) + "\n";
  }
  tend = static_cast<double>(acc.size() - 1) * dt;
  vend = vel.back();
  dend = dis.back();
  return text;
}

std::string motion_script(const std::string& data, double tend, double vend, double dend) {
  const auto panel = [&](int column, const std::string& label, const std::string& mark) {
    std::string s = "set ylabel '" + label + "'\n";
    if (!mark.empty()) {
      s += "set label 1 '" + mark + "' at graph 0.99, graph 0.88 right tc rgb '#c00000'\n";
    } else {
      s += "unset label 1\n";
    }
    return s + "plot '" + data + "' using 1:" + std::to_string(column) +
           " with lines lw 1 lc rgb '#1f5fa8' notitle" +
           (mark.empty() ? std::string()
                         : ", '-' with points pt 7 ps 0.8 lc rgb '#c00000' notitle") +
           "\n" + (mark.empty() ? "" : g9(tend) + " " + g9(column == 3 ? vend : dend) + "\ne\n");
  };
  return "set multiplot layout 3,1\nset lmargin 12\nset xrange [0:" + g9(tend) +
         "]\nset grid lc rgb '#d0d0d0'\nunset xlabel\n" + panel(2, "Acceleration (gal)", "") +
         panel(3, "Velocity (cm/s)", "end " + fixed(vend, 4) + " cm/s") +
         "set xlabel 'Time (s)'\n" +
         panel(4, "Displacement (cm)", "end " + fixed(dend, 4) + " cm") + "unset multiplot\n";
}

const char* const page_style = R"(body{font-family:sans-serif;font-size:10.5pt;color:#111;
max-width:190mm;margin:1em auto;line-height:1.35}h1{font-size:17pt}h2{font-size:14pt;
border-bottom:1px solid #888;margin-top:1.6em}h3{font-size:11.5pt}table{border-collapse:collapse;
margin:.6em 0;font-size:9pt}td,th{border:1px solid #aaa;padding:2px 5px;text-align:right}
table.criteria td,table.criteria th{text-align:left}
th{background:#eee}td:first-child,th:first-child{text-align:left}td.fail{color:#b00000;
font-weight:bold}tr.failed td:first-child{color:#b00000}pre{background:#f6f6f6;padding:.5em;
font-size:8.5pt;white-space:pre-wrap}figure{margin:.8em 0;break-inside:avoid}
figure svg{width:100%;height:auto}figcaption{font-size:9pt;color:#333}
@page{size:A4;margin:12mm 14mm}@media print{body{max-width:none;margin:0}
h1,h2,h3{break-after:avoid}table,tr,figure{break-inside:avoid}figure{margin:.3em 0}
section.target{break-before:page}section.target figure svg{width:auto;height:70mm;
display:block;margin:0 auto}section.target h3~figure svg{height:112mm}
section.site{break-before:page}section.site figure svg{width:auto;height:70mm;display:block;
margin:0 auto}section.site figure.profile svg{height:125mm}table.layers{font-size:7.5pt;
margin:.3em 0}table.layers td,table.layers th{padding:1px 4px}}
)";

std::string figure_html(const std::string& svg, const std::string& prefix,
                        const std::string& caption, const std::string& figure_class) {
  const std::string open =
      figure_class.empty() ? "<figure>" : "<figure class=\"" + figure_class + "\">";
  return open + inline_svg(svg, prefix) + "<figcaption>" + caption + "</figcaption></figure>\n";
}

}  // namespace

std::string html_escaped(std::string_view s) {
  std::string out;
  for (const char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

namespace {

using report_parts::figure_queue;

// One target's section of the page, its data files written into work; empty when no fit aims
// at the target.
std::optional<files::file_error> target_section(const plan& p, std::size_t t,
                                                std::span<const fit_item> fits,
                                                std::span<const fit_summary> results,
                                                const std::filesystem::path& dir,
                                                const std::filesystem::path& work,
                                                figure_queue& figures, std::string& body) {
  const plan_target& target = p.targets[t];
  report_parts::target_waves waves;
  std::vector<std::string>& names = waves.names;
  std::vector<std::vector<double>>& sa = waves.bedrock_sa;
  std::vector<fit_summary>& rows = waves.rows;
  std::string motions;
  waves.periods = window_periods(target.spectrum.window_min, target.spectrum.window_max);
  const std::vector<double>& periods = waves.periods;
  const std::vector<double> aim = target_at(target.spectrum, periods);
  for (std::size_t k = 0; k < fits.size(); ++k) {
    if (fits[k].target != t) continue;
    const wave_result w = read_wave(fit_file(dir, p, fits[k], ".csv"));
    if (!w.ok()) return w.error;
    names.push_back(p.waves[fits[k].wave].name);
    sa.push_back(response_at(w.w, target.spectrum, periods));
    rows.push_back(results[k]);
    waves.fits.push_back(fits[k]);
    double tend = 0, vend = 0, dend = 0;
    const std::string data = "motion" + std::to_string(k) + ".dat";
    if (const auto e = write_data(work / data, motion_data(w.w, tend, vend, dend)))
      return files::file_error{data, 0, *e};
    motions += figures.at("motion" + std::to_string(k), motion_script(data, tend, vend, dend), 600,
                          html_escaped(fit_name(p, fits[k])) +
                              ": acceleration, velocity and displacement from rest; end values "
                              "marked");
  }
  if (names.empty()) return std::nullopt;
  const target_data d = spectra_data(periods, aim, sa, names);
  const std::string spectra = "spectra" + std::to_string(t), ratios = "ratios" + std::to_string(t);
  if (const auto e = write_data(work / (spectra + ".dat"), d.spectra))
    return files::file_error{spectra, 0, *e};
  if (const auto e = write_data(work / (ratios + ".dat"), d.ratios))
    return files::file_error{ratios, 0, *e};
  body += "<section class=\"target\"><h2>Target " + html_escaped(target.name) + "</h2>\n<p>" +
          target_definition(target.spectrum) + "</p>\n" + criteria_table(target.spectrum) +
          figures.at(spectra, spectra_script(spectra + ".dat", target.spectrum, names.size()), 420,
                     "Response spectra of the fitted waves, the target and their mean") +
          figures.at(ratios, ratio_script(ratios + ".dat", target.spectrum, names.size()), 420,
                     "Ratio of each wave's spectrum to the target, with criterion 1's limit") +
          "<h3>Results</h3>\n" + results_table(rows) + "<h3>Waves</h3>\n" + motions +
          "</section>\n";
  if (!target.site) return std::nullopt;
  return report_parts::site_section(p, t, waves, dir, work, figures, body);
}

// The whole page around the targets' sections.
std::string page_html(const plan& p, std::span<const fit_summary> results, std::string_view version,
                      const std::string& body) {
  std::size_t passed = 0, scaled = 0;
  for (const fit_summary& s : results) {
    passed += s.passed ? 1 : 0;
    scaled += s.scaled ? 1 : 0;
  }
  // Records scaled to a velocity are no fits: counted apart.
  const std::string scaled_text =
      scaled == 0 ? "" : " " + std::to_string(scaled) + " " + status_scaled + ".";
  return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n<title>Design "
         "ground motions: " +
         html_escaped(p.file.filename().string()) + "</title>\n<style>" + page_style +
         "</style></head><body>\n<h1>Design ground motions</h1>\n<p>" + std::to_string(passed) +
         " of " + std::to_string(results.size() - scaled) + " fits passed." + scaled_text +
         " Made by " + html_escaped(version) + " from the plan " +
         html_escaped(p.file.filename().string()) + ".</p>\n<h2>Plan</h2>\n<pre>" +
         html_escaped(p.text) + "</pre>\n" + body + "</body></html>\n";
}

}  // namespace

report_result report_page(const plan& p, std::span<const fit_item> fits,
                          std::span<const fit_summary> results, const std::filesystem::path& dir,
                          std::string_view version) {
  report_result r;
  std::error_code ec;
  const std::filesystem::path work = dir / report_work_folder;
  // An interrupt stops the drawing and leaves no work folder behind.
  const drawing_interrupts interrupts;
  std::filesystem::remove_all(work, ec);
  std::filesystem::create_directories(work, ec);
  figure_queue figures;
  std::string body;
  for (std::size_t t = 0; t < p.targets.size() && !r.error; ++t)
    r.error = target_section(p, t, fits, results, dir, work, figures, body);
  std::vector<figure_result> drawn;
  if (!r.error) drawn = draw_figures(work, figures.jobs);
  std::filesystem::remove_all(work, ec);
  interrupts.end_if_interrupted();
  for (const figure_result& f : drawn) {
    if (f.gnuplot_missing) {
      r.needs = "wavetool: " + (dir / "report.html").string() +
                " not written: the report needs gnuplot (Debian package gnuplot-nox)";
      return r;
    }
    if (f.error) r.error = files::file_error{(dir / "report.html").string(), 0, *f.error};
  }
  if (r.error) return r;
  for (std::size_t k = 0; k < drawn.size(); ++k) {
    const std::string marker = "\x01" + std::to_string(k) + "\x01";
    body.replace(body.find(marker), marker.size(),
                 figure_html(drawn[k].svg, "f" + std::to_string(k + 1) + "_", figures.captions[k],
                             figures.classes[k]));
  }
  r.html = page_html(p, results, version, body);
  return r;
}

}  // namespace wavetool
