// The report's sections of a site, made from a folder whose waves were taken through a site by
// `wavetool site` itself: the figures' data files against the site results and against spectra
// computed here by stepping each oscillator in time, and the page's marks of a site that did not
// converge and of a record scaled, not fitted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "independent_spectra.h"
#include "report/report.h"
#include "suite/profile.h"
#include "suite_scratch.h"

namespace {

using namespace suite_test;
using namespace independent;

const std::string site_plan = std::string(one_fit_plan) + "\n[[wave]]\nname = \"s2\"\nseed = 2\n";

std::vector<double> numbers_of(const std::string& line) {
  std::vector<double> values;
  std::istringstream in(line);
  for (double x; in >> x;) values.push_back(x);
  return values;
}

// The site's results of one wave as the suite keeps them: converged and the surface's peaks.
wavetool::site_summary summary_of(const nlohmann::ordered_json& j) {
  wavetool::site_summary s;
  s.converged = j.at("converged").get<bool>();
  s.surface.pga = j.at("surface").at("pga").get<double>();
  s.surface.pgv = j.at("surface").at("pgv").get<double>();
  s.surface.pgd = j.at("surface").at("pgd").get<double>();
  s.json = j;
  return s;
}

// The drawing program's data files: kept by a gnuplot first on the path, which hands over to
// the real one.
std::string drawn_page(const scratch_dir& d, const wavetool::plan& p,
                       std::span<const wavetool::fit_item> fits,
                       std::span<const wavetool::fit_summary> results) {
  fs::create_directory(d / "bin");
  write_file(d / "bin/gnuplot",
             "#!/bin/sh\nkept=\"$(dirname \"$0\")/drawn/$$\"\nmkdir -p \"$kept\"\n"
             "cp ./*.dat ./*.gp \"$kept\"/\nexec /usr/bin/gnuplot \"$@\"\n");
  fs::permissions(d / "bin/gnuplot", fs::perms::owner_all);
  const std::string path = std::getenv("PATH");
  setenv("PATH", ((d / "bin").string() + ":" + path).c_str(), 1);
  const wavetool::report_result r = wavetool::report_page(p, fits, results, d / "out", "test");
  setenv("PATH", path.c_str(), 1);
  EXPECT_FALSE(r.error) << wavetool::describe(*r.error);
  EXPECT_FALSE(r.needs);
  return r.html;
}

TEST(report_site, sections_hold_what_the_site_results_and_the_waves_give) {
  if (!fs::exists("/usr/bin/gnuplot")) GTEST_SKIP() << "gnuplot is not installed";
  const scratch_dir d;
  prepare(d, site_plan);
  fs::copy_file(GM_WAVETOOL_DATA "/site_hardin.toml", d / "site.toml");
  // s2's analysis stops after one pass: a site that did not converge.
  std::string one_pass = read_file(d / "site.toml");
  one_pass.replace(one_pass.find("max_iterations = 30"), 19, "max_iterations = 1");
  write_file(d / "one-pass.toml", one_pass);
  ASSERT_EQ(run(d.path(), {"suite", "plan.toml", "--out", "out"}).status, 0);
  const std::vector<std::string> waves = {"seed1", "s2"};
  std::vector<nlohmann::ordered_json> site_json;
  for (const std::string& w : waves) {
    const std::string profile = w == "s2" ? "one-pass.toml" : "site.toml";
    const run_result r = run(d.path(), {"site", profile, "out/t/" + w + ".csv", "-o",
                                        "out/t/" + w + ".site-a.csv", "--json"});
    ASSERT_EQ(r.status, w == "s2" ? 3 : 0) << r.err;
    site_json.push_back(nlohmann::ordered_json::parse(r.out));
    write_file(d / "out/t" / (w + ".site-a.json"), r.out);
  }

  wavetool::plan_result read = wavetool::read_plan(d / "plan.toml");
  ASSERT_TRUE(read.ok());
  wavetool::plan& p = read.p;
  const wavetool::profile_read profile = wavetool::read_profile(d / "site.toml");
  ASSERT_TRUE(profile.ok());
  p.sites.push_back({"site-a", 1, profile.profile, d / "site.toml", 2});
  p.targets[0].site = 0;
  const std::vector<wavetool::fit_item> fits = wavetool::fits_of(p);
  std::vector<wavetool::fit_summary> results;
  for (std::size_t k = 0; k < fits.size(); ++k) {
    files::file_error e;
    results.push_back(*wavetool::read_fit_result(d / "out", p, fits[k], e));
    results.back().site = summary_of(site_json[k]);
  }
  // s2 stands for an observed record scaled to a velocity: its criteria are not judged.
  results[1].scaled = true;
  results[1].passed = false;
  const std::string page = drawn_page(d, p, fits, results);
  if (const char* keep = std::getenv("GM_KEEP_REPORT"))
    write_file(fs::path(keep) / "site-report.html", page);

  // Two figures of the target, a motion per wave, four of the site.
  EXPECT_EQ(count_of(page, "<svg"), 2u + 2u + 4u);
  EXPECT_NE(page.find("<h2>Site site-a under target t</h2>"), std::string::npos);
  EXPECT_NE(page.find("Complex shear modulus shake91"), std::string::npos);
  EXPECT_NE(page.find("<p>1 of 1 fits passed. 1 scaled, not fitted."), std::string::npos);
  const std::size_t s2_row = page.find("<tr><td>s2</td><td>scaled, not fitted</td>");
  ASSERT_NE(s2_row, std::string::npos);
  EXPECT_EQ(page.substr(s2_row, page.find("</tr>", s2_row) - s2_row).find("&#x2717;"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><td>seed1</td><td>converged</td>"), std::string::npos);
  EXPECT_NE(page.find("<tr class=\"failed\"><td>s2</td><td class=\"fail\">not converged"),
            std::string::npos);
  EXPECT_NE(page.find("<h3>Sublayers: t/s2 (not converged)</h3>"), std::string::npos);
  EXPECT_EQ(count_of(page, "<table class=\"layers\">"), 2u);

  fs::path drawn;
  for (const auto& e : fs::directory_iterator(d / "bin/drawn")) drawn = e.path();
  std::vector<written_wave> bedrock, surface;
  for (const std::string& w : waves) {
    bedrock.push_back(read_written(d / "out/t" / (w + ".csv")));
    surface.push_back(read_written(d / "out/t" / (w + ".site-a.csv")));
  }
  const std::vector<std::string> spectra = lines_of(read_file(drawn / "site_spectra0.dat"));
  const std::vector<std::string> ratios = lines_of(read_file(drawn / "site_ratios0.dat"));
  ASSERT_EQ(spectra.size(), 201u);
  ASSERT_EQ(ratios.size(), 201u);
  EXPECT_EQ(spectra[0], "period target soil seed1 s2 mean");
  EXPECT_EQ(ratios[0], "period seed1 s2");
  // Every fifth period: the oscillators stepped in time cost most of the test.
  for (std::size_t k = 0; k < 200; k += 5) {
    const double period = 0.02 * std::pow(500.0, static_cast<double>(k) / 199.0);
    SCOPED_TRACE("T = " + std::to_string(period));
    std::vector<double> top, ratio;
    for (std::size_t w = 0; w < waves.size(); ++w) {
      top.push_back(peak_response(surface[w].acc, surface[w].dt, period, 0.05));
      ratio.push_back(top[w] / peak_response(bedrock[w].acc, bedrock[w].dt, period, 0.05));
    }
    const std::vector<double> row = numbers_of(spectra[k + 1]);
    ASSERT_EQ(row.size(), 6u);
    EXPECT_NEAR(row[0], period, 1e-8 * period);
    EXPECT_NEAR(row[1], bedrock_target(period), 1e-8 * row[1]);
    EXPECT_NEAR(row[2], bedrock_target(period) * soil2_amplification(period), 1e-8 * row[2]);
    EXPECT_NEAR(row[3], top[0], 1e-3 * top[0]);
    EXPECT_NEAR(row[4], top[1], 1e-3 * top[1]);
    EXPECT_NEAR(row[5], (top[0] + top[1]) / 2, 1e-3 * row[5]);
    const std::vector<double> r = numbers_of(ratios[k + 1]);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_NEAR(r[1], ratio[0], 2e-3 * ratio[0]);
    EXPECT_NEAR(r[2], ratio[1], 2e-3 * ratio[1]);
  }

  // The profiles and transfer functions are the site results, point for point.
  for (std::size_t w = 0; w < waves.size(); ++w) {
    SCOPED_TRACE(waves[w]);
    const nlohmann::ordered_json& j = site_json[w];
    const std::vector<std::string> rows =
        lines_of(read_file(drawn / ("site_profile0_" + std::to_string(w) + ".dat")));
    ASSERT_EQ(rows.size(), 1 + 2 * j["layers"].size());
    EXPECT_EQ(rows[0], "depth vs_initial " + waves[w] +
                           " g_ratio damping strain_max_pct pga stress_max_kpa");
    for (std::size_t k = 1; k < rows.size(); ++k) {
      const nlohmann::ordered_json& l = j["layers"][(k - 1) / 2];
      const std::vector<double> want = {
          l[k % 2 == 1 ? "top" : "bottom"],   l["vs_initial"],     l["vs"],  l["g_ratio"],
          100.0 * l["damping"].get<double>(), l["strain_max_pct"], l["pga"], l["stress_max_kpa"]};
      const std::vector<double> got = numbers_of(rows[k]);
      ASSERT_EQ(got.size(), want.size()) << rows[k];
      for (std::size_t c = 0; c < want.size(); ++c)
        EXPECT_NEAR(got[c], want[c], 1e-8 * std::abs(want[c])) << rows[k] << ", column " << c;
    }
    const std::vector<std::string> transfer =
        lines_of(read_file(drawn / ("site_transfer0_" + std::to_string(w) + ".dat")));
    std::size_t row = 1;
    const auto& f = j["transfer_initial"]["frequency"];
    for (std::size_t k = 0; k < f.size(); ++k) {
      const double hz = f[k];
      if (hz <= 0.0 || hz > 25.0) continue;
      ASSERT_LT(row, transfer.size());
      const std::vector<double> got = numbers_of(transfer[row++]);
      const double initial = j["transfer_initial"]["amplitude"][k];
      const double compatible = j["transfer_compatible"]["amplitude"][k];
      ASSERT_EQ(got.size(), 3u);
      EXPECT_NEAR(got[0], hz, 1e-8 * hz);
      EXPECT_NEAR(got[1], initial, 1e-8 * initial);
      EXPECT_NEAR(got[2], compatible, 1e-8 * compatible);
    }
    EXPECT_EQ(row, transfer.size());
  }
}

}  // namespace
