// What the suite's report and summaries say about the waves it wrote, read back and recomputed
// here from the written waves alone: the spectra the figures are drawn from by a direct
// time-stepping of each oscillator, the target by the bedrock formula of the 1461 notification,
// the time-domain measures by their definitions; and what is written without the drawing program.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <numbers>

#include "independent_spectra.h"
#include "suite_scratch.h"

namespace {

using namespace suite_test;
using namespace independent;

// seed 1 passes in its third iteration; the Loma Prieta record with its own corners runs out of
// iterations after an iteration better than the last one, so what was written (the kept wave)
// and how long the fit ran (the last iteration) differ.
const std::string two_wave_plan = std::string(one_fit_plan) +
                                  "\n[[wave]]\nname = \"lomap\"\nrecord = \"lomap.AT2\"\n"
                                  "corners = [2, 16, 30, 40]\nmax_iterations = 6\n";

// The time-domain measures by their definitions: velocity and displacement from rest by the
// trapezoidal rule, Arias intensity pi/(2g) times the integral of a^2 (m/s), and the time between
// 5 % and 95 % of it, interpolated inside the step.
std::map<std::string, double> measures_of(const written_wave& w) {
  const double dt = w.dt;
  double v = 0.0, d = 0.0, pga = 0.0, pgv = 0.0, pgd = 0.0, energy = 0.0;
  std::vector<double> running(w.acc.size(), 0.0);
  for (std::size_t i = 0; i < w.acc.size(); ++i) {
    pga = std::max(pga, std::abs(w.acc[i]));
    if (i > 0) {
      const double v_before = v;
      v += (w.acc[i - 1] + w.acc[i]) * dt / 2;
      d += (v_before + v) * dt / 2;
      const double a0 = w.acc[i - 1] / 100.0, a1 = w.acc[i] / 100.0;
      energy += (a0 * a0 + a1 * a1) * dt / 2;
    }
    running[i] = energy;
    pgv = std::max(pgv, std::abs(v));
    pgd = std::max(pgd, std::abs(d));
  }
  const auto reached = [&](double part) {
    std::size_t i = 1;
    while (running[i] < part * energy) ++i;
    return (static_cast<double>(i - 1) +
            (part * energy - running[i - 1]) / (running[i] - running[i - 1])) *
           dt;
  };
  return {{"pga", pga},
          {"pgv", pgv},
          {"pgd", pgd},
          {"end_velocity", v},
          {"end_displacement", d},
          {"arias", std::numbers::pi / (2.0 * 9.80665) * energy},
          {"d5_95", reached(0.95) - reached(0.05)}};
}

std::vector<std::string> split(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, separator);) {
    if (!field.empty()) fields.push_back(field);
  }
  return fields;
}

// The cells of each row of the page's table of results, tags and failure marks left out.
std::vector<std::vector<std::string>> results_cells(const std::string& page) {
  const std::size_t from = page.find("<table class=\"results\">");
  const std::string table = page.substr(from, page.find("</table>", from) - from);
  std::vector<std::vector<std::string>> rows;
  // The first row holds the headings.
  for (std::size_t tr = table.find("<tr", table.find("</tr>")); tr != std::string::npos;) {
    const std::size_t next = table.find("<tr", tr + 1);
    const std::string row = table.substr(tr, next - tr);
    rows.emplace_back();
    for (std::size_t at = row.find("<td"); at != std::string::npos; at = row.find("<td", at + 1)) {
      const std::size_t open = row.find('>', at) + 1;
      std::string text = row.substr(open, row.find("</td>", open) - open);
      if (const std::size_t mark = text.find(" &#x2717;"); mark != std::string::npos) {
        text.resize(mark);
      }
      rows.back().push_back(text);
    }
    tr = next;
  }
  return rows;
}

// The report's figures are drawn from data files given to the drawing program; a gnuplot first
// on the path keeps a copy of them before it hands over to the real one. Read back, the spectra
// and ratios are those of the written waves against the target; the summaries and the page's
// table hold each wave's measures and the last iteration run (the kept one may be earlier).
TEST(wavetool_suite_report, figures_and_summaries_hold_what_the_written_waves_give) {
  if (!fs::exists("/usr/bin/gnuplot")) GTEST_SKIP() << "gnuplot is not installed";
  const scratch_dir d;
  prepare(d, two_wave_plan);
  fs::copy_file(GM_WAVETOOL_DATA "/RSN753_LOMAP_CLS000.AT2", d / "lomap.AT2");
  fs::create_directory(d / "bin");
  write_file(d / "bin/gnuplot",
             "#!/bin/sh\nkept=\"$(dirname \"$0\")/drawn/$$\"\nmkdir -p \"$kept\"\n"
             "cp ./*.dat ./*.gp \"$kept\"/\nexec /usr/bin/gnuplot \"$@\"\n");
  fs::permissions(d / "bin/gnuplot", fs::perms::owner_all);
  const run_result r =
      wavetool_test::run_command("/usr/bin/env",
                                 {"PATH=" + (d / "bin").string() + ":" + std::getenv("PATH"),
                                  wavetool.string(), "suite", "plan.toml", "--out", "out"},
                                 d.path());
  ASSERT_EQ(r.status, 3) << r.err;

  // The premise of the lomap row: wavetool fit of the same wave keeps iteration 5 of 6.
  ASSERT_EQ(run(d.path(), {"import", "lomap.AT2", "-o", "lomap.csv"}).status, 0);
  const run_result alone = run(d.path(), {"fit", "lomap.csv", "-o", "lomap-fit.csv", "--corners",
                                          "2,16,30,40", "--max-iterations", "6"});
  EXPECT_NE(alone.out.find("after 6 iterations (the limit), wrote iteration 5:"), std::string::npos)
      << alone.out;

  const std::vector<std::string> waves = {"seed1", "lomap"};
  std::vector<std::map<std::string, double>> measures;
  std::vector<written_wave> written;
  for (const std::string& name : waves) {
    written.push_back(read_written(d / "out/t" / (name + ".csv")));
    measures.push_back(measures_of(written.back()));
  }
  const std::vector<std::string> status = {"passed", "not passed"};
  const std::vector<int> iterations = {3, 6};

  // The figures' data: 200 periods evenly spaced in log over 0.02..10 s.
  fs::path drawn;
  for (const auto& e : fs::directory_iterator(d / "bin/drawn")) drawn = e.path();
  // The ratio figure's line of criterion 1: a spectrum at least 0.85 times the target.
  std::string scripts;
  for (const auto& e : fs::directory_iterator(drawn)) {
    if (e.path().extension() == ".gp") scripts += read_file(e.path());
  }
  EXPECT_NE(scripts.find("set arrow from graph 0, first 0.85 to graph 1, first 0.85 nohead"),
            std::string::npos);
  EXPECT_NE(scripts.find("set label 'criterion 1: 0.85'"), std::string::npos);
  const std::vector<std::string> spectra = lines_of(read_file(drawn / "spectra0.dat"));
  const std::vector<std::string> ratios = lines_of(read_file(drawn / "ratios0.dat"));
  ASSERT_EQ(spectra.size(), 201u);
  ASSERT_EQ(ratios.size(), 201u);
  EXPECT_EQ(spectra[0], "period target seed1 lomap mean");
  EXPECT_EQ(ratios[0], "period seed1 lomap");
  for (std::size_t k = 0; k < 200; ++k) {
    const double period = 0.02 * std::pow(500.0, static_cast<double>(k) / 199.0);
    const double target = bedrock_target(period);
    std::vector<double> sa;
    for (const written_wave& w : written) sa.push_back(peak_response(w.acc, w.dt, period, 0.05));
    std::vector<double> want = {period, target, sa[0], sa[1], (sa[0] + sa[1]) / 2};
    std::vector<std::string> fields = split(spectra[k + 1], ' ');
    ASSERT_EQ(fields.size(), want.size()) << spectra[k + 1];
    for (std::size_t c = 0; c < want.size(); ++c) {
      // The figures' spectra are float oscillators: within 1e-4 of the direct ones here.
      const double tolerance = c < 2 ? 1e-8 : 1e-3;
      EXPECT_NEAR(std::strtod(fields[c].c_str(), nullptr), want[c], tolerance * want[c])
          << "spectra, T = " << period << ", column " << c;
    }
    want = {period, sa[0] / target, sa[1] / target};
    fields = split(ratios[k + 1], ' ');
    ASSERT_EQ(fields.size(), want.size()) << ratios[k + 1];
    for (std::size_t c = 0; c < want.size(); ++c) {
      EXPECT_NEAR(std::strtod(fields[c].c_str(), nullptr), want[c], (c ? 1e-3 : 1e-8) * want[c])
          << "ratios, T = " << period << ", column " << c;
    }
  }

  // summary.csv, summary.json, each fit's own file and the page's table.
  const std::vector<std::string> rows = lines_of(read_file(d / "out/summary.csv"));
  ASSERT_EQ(rows.size(), 3u);
  const std::vector<std::string> header = split(rows[0], ',');
  const nlohmann::json all = nlohmann::json::parse(read_file(d / "out/summary.json"));
  ASSERT_EQ(all.size(), 2u);
  const std::vector<std::vector<std::string>> cells =
      results_cells(read_file(d / "out/report.html"));
  ASSERT_EQ(cells.size(), 2u);
  const std::vector<std::string> page_keys = {
      "pga", "pgv", "pgd", "end_velocity", "end_displacement", "arias", "d5_95"};
  const std::vector<int> page_decimals = {1, 2, 2, 4, 4, 3, 2};
  for (std::size_t k = 0; k < waves.size(); ++k) {
    SCOPED_TRACE(waves[k]);
    const std::vector<std::string> fields = split(rows[k + 1], ',');
    ASSERT_EQ(fields.size(), header.size()) << rows[k + 1];
    std::map<std::string, std::string> row;
    for (std::size_t c = 0; c < header.size(); ++c) row[header[c]] = fields[c];
    const nlohmann::json& j = all[k];
    EXPECT_EQ(j, nlohmann::json::parse(read_file(d / "out/t" / (waves[k] + ".json"))));
    EXPECT_EQ(row["wave"], waves[k]);
    EXPECT_EQ(j["wave"], waves[k]);
    EXPECT_EQ(row["status"], status[k]);
    EXPECT_EQ(j["status"], status[k]);
    EXPECT_EQ(cells[k][1], status[k]);
    EXPECT_EQ(row["iterations"], std::to_string(iterations[k]));
    EXPECT_EQ(j["iterations"], iterations[k]);
    EXPECT_EQ(cells[k][2], std::to_string(iterations[k]));
    for (std::size_t m = 0; m < page_keys.size(); ++m) {
      const std::string& key = page_keys[m];
      const double want = measures[k][key];
      // The peak is a float sample, written as its shortest decimal.
      const double tolerance = (key == "pga" ? 1e-7 : 1e-9) * std::abs(want) + 1e-12;
      EXPECT_NEAR(std::strtod(row[key].c_str(), nullptr), want, tolerance) << key;
      EXPECT_NEAR(j[key].get<double>(), want, tolerance) << key;
      const double unit = std::pow(10.0, -page_decimals[m]);
      EXPECT_NEAR(std::strtod(cells[k][7 + m].c_str(), nullptr), want, 0.5 * unit + tolerance)
          << key << " on the page";
    }
    // The criteria of the page are those of the summaries, rounded.
    for (std::size_t c = 0; c < 4; ++c) {
      const std::string key = "cr" + std::to_string(c + 1);
      EXPECT_EQ(std::strtod(row[key].c_str(), nullptr), j[key].get<double>()) << key;
      EXPECT_NEAR(std::strtod(cells[k][3 + c].c_str(), nullptr), j[key].get<double>(),
                  0.5e-4 + 1e-9)
          << key << " on the page";
    }
  }
}

// Without gnuplot on the path the fits and summaries are written all the same, and one line
// says what the report needs.
TEST(wavetool_suite_report, without_gnuplot_the_fits_and_summaries_are_written) {
  const scratch_dir d;
  prepare(d);
  const run_result with = run(d.path(), {"suite", "plan.toml", "--out", "with"});
  ASSERT_EQ(with.status, 0) << with.err;
  const run_result r = wavetool_test::run_command(
      "/usr/bin/env",
      {"PATH=/nonexistent", wavetool.string(), "suite", "plan.toml", "--out", "out"}, d.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "1 of 1 fits passed: out/summary.csv\n");
  const std::vector<std::string> err = lines_of(r.err);
  ASSERT_EQ(err.size(), 2u) << r.err;
  EXPECT_EQ(err[1],
            "wavetool: out/report.html not written: the report needs gnuplot (Debian package "
            "gnuplot-nox)");
  auto files = tree(d / "with");
  ASSERT_EQ(files.erase("report.html"), 1u);
  EXPECT_TRUE(files == tree(d / "out"));
}

}  // namespace
