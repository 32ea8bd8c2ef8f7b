// A design set with a site and observed records: two bedrock targets (extremely rare and rare),
// three fitted waves and El Centro 1940 NS scaled to 25 and 50 cm/s, all taken through one soil
// column. What the set hands over must be what each command gives on its own, the same by every
// road, and a result edited or made for another site is never counted.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "independent_spectra.h"
#include "suite_scratch.h"

namespace {

using namespace suite_test;
using json = nlohmann::json;
using independent::peak_velocity;
using independent::read_written;

constexpr std::string_view site_plan = R"([[site]]
name = "soft"
profile = "soil/site.toml"
compare_soil = 2

[[target]]
name = "extreme"
level = "extreme"
site = "soft"

[[target]]
name = "rare"
level = "rare"
site = "soft"

[[wave]]
name = "seed1"
record = "seed1.csv"
format = "columns"

[[wave]]
name = "seed2"
seed = 2

[[wave]]
name = "corralitos"
record = "lomap.AT2"

[[wave]]
name = "elcentro-25"
record = "elcentro.dat"
format = "values"
dt = 0.02
units = "g"
fit = false
pgv = 25

[[wave]]
name = "elcentro-50"
record = "elcentro.dat"
format = "values"
dt = 0.02
units = "g"
fit = false
pgv = 50
)";

const std::vector<std::string> targets = {"extreme", "rare"};
const std::vector<std::string> waves = {"seed1", "seed2", "corralitos", "elcentro-25",
                                        "elcentro-50"};

// The profile lies in a folder of its own: the plan names it relative to itself.
void prepare_site_set(const scratch_dir& d, std::string_view plan = site_plan,
                      const std::string& profile_edit = "") {
  prepare(d, plan);
  fs::copy_file(GM_WAVETOOL_DATA "/RSN753_LOMAP_CLS000.AT2", d / "lomap.AT2");
  fs::copy_file(GM_WAVETOOL_DATA "/elcentro_1940_ns.dat", d / "elcentro.dat");
  fs::create_directory(d / "soil");
  write_file(d / "soil/site.toml", read_file(GM_WAVETOOL_DATA "/site_hardin.toml") + profile_edit);
}

// summary.csv's rows by "TARGET/WAVE", split at commas outside quotes.
std::map<std::string, std::vector<std::string>> summary_rows(const std::string& csv) {
  std::map<std::string, std::vector<std::string>> rows;
  for (const std::string& line : lines_of(csv)) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (const char c : line) {
      if (c == '"') {
        quoted = !quoted;
      } else if (c == ',' && !quoted) {
        fields.emplace_back();
      } else {
        fields.back() += c;
      }
    }
    rows[fields[0] + "/" + fields[1]] = fields;
  }
  return rows;
}

TEST(wavetool_suite_site, every_road_hands_over_the_same_files) {
  const scratch_dir d;
  prepare_site_set(d);
  const run_result one = run(d.path(), {"suite", "plan.toml", "--out", "one", "--jobs", "1"});
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.out,
            "6 of 6 fits passed; 4 scaled, not fitted: one/summary.csv, one/report.html\n");
  std::vector<std::string> expected = {"report.html", "summary.csv", "summary.json"};
  for (const std::string& t : targets) {
    for (const std::string& w : waves) {
      for (const char* ending : {".csv", ".json", ".soft.csv", ".soft.json"})
        expected.push_back(t + "/" + w + ending);
    }
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names_in(d / "one"), expected);

  const run_result three = run(d.path(), {"suite", "plan.toml", "--out", "three", "--jobs", "3"});
  ASSERT_EQ(three.status, 0) << three.err;
  EXPECT_EQ(tree(d / "three"), tree(d / "one"));

  // Pair by pair as the listed commands run them elsewhere, then gathered.
  const run_result list = run(d.path(), {"suite", "plan.toml", "--out", "split", "--list"});
  ASSERT_EQ(lines_of(list.out).size(), 10u);
  for (const std::string& command : lines_of(list.out)) {
    const std::string pair = command.substr(command.rfind(' ') + 1);
    const run_result only = run(d.path(), {"suite", "plan.toml", "--out", "split", "--only", pair});
    EXPECT_EQ(only.status, 0) << pair << only.err;
    // A scaled record alone is no fit to count.
    if (pair.ends_with("-25")) {
      EXPECT_EQ(only.out, "1 scaled, not fitted: split/" + pair + ".json\n");
    }
  }
  const run_result gather =
      run(d.path(), {"suite", "plan.toml", "--out", "split", "--report-only"});
  ASSERT_EQ(gather.status, 0) << gather.err;
  EXPECT_EQ(tree(d / "split"), tree(d / "one"));

  // The page opens in a browser with every figure drawn: per target its spectra and ratio, one
  // motion figure per wave, and the site's surface spectra, ratio, profiles and transfer
  // functions.
  if (!fs::exists("/usr/bin/chromium")) GTEST_SKIP() << "chromium is not installed";
  const run_result dom =
      wavetool_test::run_command("/usr/bin/chromium",
                                 {"--headless", "--no-sandbox", "--disable-gpu", "--dump-dom",
                                  "file://" + (d / "one/report.html").string()},
                                 d.path());
  ASSERT_EQ(dom.status, 0) << dom.err;
  EXPECT_EQ(count_of(dom.out, "<svg"), 2u * (2u + waves.size() + 4u));
  for (const std::string& t : targets)
    EXPECT_NE(dom.out.find("<h2>Site soft under target " + t + "</h2>"), std::string::npos) << t;
}

TEST(wavetool_suite_site, each_file_is_what_its_command_gives_alone) {
  const scratch_dir d;
  prepare_site_set(d);
  ASSERT_EQ(run(d.path(), {"suite", "plan.toml", "--out", "out"}).status, 0);
  const auto rows = summary_rows(read_file(d / "out/summary.csv"));
  ASSERT_EQ(run(d.path(), {"import", "elcentro.dat", "-o", "elcentro.csv", "--format", "values",
                           "--dt", "0.02", "--units", "g"})
                .status,
            0);
  const std::vector<double> record = read_written(d / "elcentro.csv").acc;
  for (const std::string& t : targets) {
    for (const std::string& w : waves) {
      const std::string pair = t + "/" + w;
      // The surface motion and the site's results, as `wavetool site` gives them.
      const run_result site = run(d.path(), {"site", "soil/site.toml", "out/" + pair + ".csv", "-o",
                                             "surface.csv", "--json"});
      ASSERT_EQ(site.status, 0) << pair << site.err;
      EXPECT_EQ(read_file(d / "surface.csv"), read_file(d / ("out/" + pair + ".soft.csv"))) << pair;
      // The set names the site as the plan does; the profile's file calls it "hardin".
      std::string alone = site.out;
      alone.replace(alone.find("\"site\": \"hardin\""), 16, "\"site\": \"soft\"");
      EXPECT_TRUE(alone == read_file(d / ("out/" + pair + ".soft.json"))) << pair;

      // The summary's surface columns are the surface motion's measures, as `check` reads them.
      const run_result check = run(d.path(), {"check", "surface.csv", "--json"});
      ASSERT_EQ(check.status, 0) << check.err;
      const json measured = json::parse(check.out);
      const std::vector<std::string>& row = rows.at(pair);
      ASSERT_EQ(row.size(), 20u) << pair;
      EXPECT_EQ(row[15], "soft");
      EXPECT_EQ(row[16], "converged");
      // The peak is a sample of the wave: given as the float it is.
      EXPECT_EQ(std::strtof(row[17].c_str(), nullptr),
                static_cast<float>(measured["pga"].get<double>()))
          << pair;
      EXPECT_EQ(std::strtod(row[18].c_str(), nullptr), measured["pgv"].get<double>()) << pair;
      EXPECT_EQ(std::strtod(row[19].c_str(), nullptr), measured["pgd"].get<double>()) << pair;

      if (!w.starts_with("elcentro")) {
        EXPECT_EQ(row[2], "passed") << pair;
        continue;
      }
      // An observed record: scaled as `wavetool scale` scales it, its criteria for information.
      EXPECT_EQ(row[2], "scaled, not fitted") << pair;
      EXPECT_EQ(row[3], "0") << pair;
      const std::string pgv = w.substr(w.find('-') + 1);
      ASSERT_EQ(run(d.path(), {"scale", "elcentro.csv", "-o", "scaled.csv", "--pgv", pgv}).status,
                0);
      EXPECT_EQ(read_file(d / "scaled.csv"), read_file(d / ("out/" + pair + ".csv"))) << pair;
      const std::vector<double> written = read_written(d / ("out/" + pair + ".csv")).acc;
      ASSERT_EQ(written.size(), record.size());
      const double factor = std::stod(pgv) / peak_velocity(record, 0.02);
      double bound = 0.0;
      for (std::size_t i = 0; i < written.size(); ++i)
        bound += std::abs(written[i] - factor * record[i]) * 0.02;
      EXPECT_LE(std::abs(peak_velocity(written, 0.02) - std::stod(pgv)), bound + 1e-9) << pair;
      const run_result criteria =
          run(d.path(), {"check", "out/" + pair + ".csv", "--json", "--level", t});
      ASSERT_EQ(criteria.status, 0) << criteria.err;
      const json result = json::parse(read_file(d / ("out/" + pair + ".json")));
      for (const char* key : {"cr1", "cr2", "cr3", "cr4"})
        EXPECT_EQ(result[key], json::parse(criteria.out)["criteria"][key]) << pair << key;
      EXPECT_EQ(result["status"], "scaled, not fitted");
    }
  }
}

TEST(wavetool_suite_site, a_site_result_edited_or_of_another_profile_is_not_counted) {
  const scratch_dir d;
  prepare_site_set(d);
  ASSERT_EQ(run(d.path(), {"suite", "plan.toml", "--out", "out"}).status, 0);
  const fs::path json_file = d / "out/rare/seed2.soft.json";
  const std::string kept = read_file(json_file);
  write_file(json_file, kept.substr(0, kept.size() - 2) + " }\n");
  const run_result edited = run(d.path(), {"suite", "plan.toml", "--out", "out", "--report-only"});
  EXPECT_EQ(edited.status, 1);
  EXPECT_EQ(edited.err,
            "wavetool: out/rare/seed2.soft.json: is not what the site gives with the "
            "bedrock wave of rare/seed2 (fit it again with --only rare/seed2)\n");
  write_file(json_file, kept);
  ASSERT_EQ(run(d.path(), {"suite", "plan.toml", "--out", "out", "--report-only"}).status, 0);

  // The profile changed after the run: the surface motions written are of the old column.
  std::string profile = read_file(GM_WAVETOOL_DATA "/site_hardin.toml");
  profile.replace(profile.find("vs = 120.0"), 10, "vs = 125.0");
  write_file(d / "soil/site.toml", profile);
  const run_result changed = run(d.path(), {"suite", "plan.toml", "--out", "out", "--report-only"});
  EXPECT_EQ(changed.status, 1);
  EXPECT_TRUE(matches(changed.err,
                      "wavetool: out/extreme/seed1.soft.csv: is not what the site "
                      "gives with the bedrock wave of extreme/seed1 *\n"))
      << changed.err;

  // The site taken out of the plan: the surface motions and results it gave go with it.
  std::string plan(site_plan);
  for (int target = 0; target < 2; ++target) plan.erase(plan.find("site = \"soft\"\n"), 14);
  plan.erase(0, plan.find("[[target]]"));
  write_file(d / "plan.toml", plan);
  const run_result without = run(d.path(), {"suite", "plan.toml", "--out", "out"});
  ASSERT_EQ(without.status, 0) << without.err;
  EXPECT_EQ(without.err.find("not written by the suite"), std::string::npos) << without.err;
  for (const std::string& name : names_in(d / "out"))
    EXPECT_EQ(name.find(".soft."), std::string::npos) << name;
}

// A column that cannot settle in one pass: the files are written, the set is not passed.
TEST(wavetool_suite_site, a_site_that_does_not_converge_fails_the_set) {
  const scratch_dir d;
  std::string plan(site_plan);
  plan = plan.substr(0, plan.find("[[wave]]\nname = \"seed2\""));
  prepare_site_set(d, plan);
  std::string profile = read_file(GM_WAVETOOL_DATA "/site_hardin.toml");
  profile.replace(profile.find("max_iterations = 30"), 19, "max_iterations = 1");
  write_file(d / "soil/site.toml", profile);
  const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out"});
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_EQ(r.out,
            "2 of 2 fits passed; site not converged: extreme/seed1, rare/seed1: out/summary.csv, "
            "out/report.html\n");
  EXPECT_TRUE(fs::exists(d / "out/rare/seed1.soft.csv"));
  EXPECT_EQ(summary_rows(read_file(d / "out/summary.csv")).at("rare/seed1")[16], "not converged");
}

}  // namespace
