// `wavetool suite` on a design set, run as scripts run it: both console streams, the exit status
// and every file byte for byte; the same folder for any --jobs and for the listed commands run
// through GNU parallel; the results against `wavetool check`; the report page in a real browser.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "suite_scratch.h"

namespace {

using namespace suite_test;

// A design set: the bedrock spectrum at the extremely rare level and the surface of soil 2 at the
// rare level, two seeds drawn for each and the PEER record with its own corners and exports
// beside its fitted waves.
constexpr std::string_view plan_text = R"([defaults]
max_iterations = 30

[[target]]
name = "bedrock-L2"
spectrum = "bedrock"

[[target]]
name = "surface2-L1"
spectrum = "surface"
soil = 2
level = "rare"

[[wave]]
name = "random1"
seed = 1

[[wave]]
name = "random2"
seed = 2

[[wave]]
name = "lomap"
record = "lomap.AT2"
corners = [2, 16, 30, 40]
export = ["opensees", "at2"]
)";

// The same set cut to 2 iterations, which no fit of it passes (each needs 3 to 9): the checks
// of identical bytes need every fit run, not every fit passed.
std::string quick_plan() {
  std::string plan(plan_text);
  plan.replace(plan.find("max_iterations = 30"), 19, "max_iterations = 2");
  return plan;
}
constexpr std::string_view none_passed =
    "0 of 6 fits passed; not passed: bedrock-L2/random1, bedrock-L2/random2, bedrock-L2/lomap, "
    "surface2-L1/random1, surface2-L1/random2, surface2-L1/lomap: ";

// The design set's records beside its plan.
void prepare_set(const scratch_dir& d, std::string_view plan = plan_text) {
  fs::copy_file(GM_GOLDEN_DIR "/seed1.csv", d / "seed1.csv");
  fs::copy_file(GM_WAVETOOL_DATA "/RSN753_LOMAP_CLS000.AT2", d / "lomap.AT2");
  write_file(d / "plan.toml", plan);
}

const std::vector<std::string> fits = {"bedrock-L2/random1",  "bedrock-L2/random2",
                                       "bedrock-L2/lomap",    "surface2-L1/random1",
                                       "surface2-L1/random2", "surface2-L1/lomap"};

TEST(wavetool_suite, same_bytes_for_any_jobs_and_one_command_per_fit_listed) {
  const scratch_dir d;
  prepare_set(d, quick_plan());
  const run_result one = run(d.path(), {"suite", "plan.toml", "--out", "one", "--jobs", "1"});
  const run_result two = run(d.path(), {"suite", "plan.toml", "--out", "two", "--jobs", "2"});
  // Both fits at once, each on two engine threads: the same bytes again.
  const run_result wide = run(
      d.path(), {"suite", "plan.toml", "--out", "wide", "--jobs", "2", "--threads-per-fit", "2"});
  EXPECT_EQ(wide.out, std::string(none_passed) + "wide/summary.csv, wide/report.html\n");
  EXPECT_EQ(one.status, 3) << one.err;
  EXPECT_EQ(one.out, std::string(none_passed) + "one/summary.csv, one/report.html\n");
  EXPECT_EQ(two.out, std::string(none_passed) + "two/summary.csv, two/report.html\n");
  // One progress line per finished fit, on standard error only.
  for (const run_result* r : {&one, &two}) {
    const std::vector<std::string> progress = lines_of(r->err);
    ASSERT_EQ(progress.size(), 6u) << r->err;
    for (std::size_t k = 0; k < 6; ++k) {
      EXPECT_TRUE(progress[k].starts_with("[" + std::to_string(k + 1) + "/6] ")) << progress[k];
      EXPECT_NE(progress[k].find(" not passed after 2 iterations"), std::string::npos)
          << progress[k];
      EXPECT_NE(progress[k].find(" s left"), std::string::npos) << progress[k];
    }
  }
  const auto files = tree(d / "one");
  std::vector<std::string> names;
  for (const auto& [name, bytes] : files) names.push_back(name);
  const std::vector<std::string> expected = {"bedrock-L2/lomap.AT2",
                                             "bedrock-L2/lomap.csv",
                                             "bedrock-L2/lomap.json",
                                             "bedrock-L2/lomap.opensees.txt",
                                             "bedrock-L2/random1.csv",
                                             "bedrock-L2/random1.json",
                                             "bedrock-L2/random2.csv",
                                             "bedrock-L2/random2.json",
                                             "report.html",
                                             "summary.csv",
                                             "summary.json",
                                             "surface2-L1/lomap.AT2",
                                             "surface2-L1/lomap.csv",
                                             "surface2-L1/lomap.json",
                                             "surface2-L1/lomap.opensees.txt",
                                             "surface2-L1/random1.csv",
                                             "surface2-L1/random1.json",
                                             "surface2-L1/random2.csv",
                                             "surface2-L1/random2.json"};
  EXPECT_EQ(names, expected);
  EXPECT_TRUE(files == tree(d / "two")) << "--jobs 1 and --jobs 2 wrote different bytes";
  EXPECT_TRUE(files == tree(d / "wide")) << "--threads-per-fit 2 wrote different bytes";

  const run_result list = run(d.path(), {"suite", "plan.toml", "--out", "elsewhere", "--list"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.err, "");
  std::string commands;
  for (const std::string& f : fits) {
    commands += wavetool.string() + " suite plan.toml --out elsewhere --only " + f + "\n";
  }
  EXPECT_EQ(list.out, commands);
  EXPECT_FALSE(fs::exists(d / "elsewhere"));
}

TEST(wavetool_suite, listed_commands_through_gnu_parallel_then_gathered_give_the_same_folder) {
  if (!fs::exists("/usr/bin/parallel")) GTEST_SKIP() << "GNU parallel is not installed";
  const scratch_dir d;
  prepare_set(d, quick_plan());
  ASSERT_EQ(run(d.path(), {"suite", "plan.toml", "--out", "whole"}).status, 3);
  const run_result list = run(d.path(), {"suite", "plan.toml", "--out", "split", "--list"});
  const run_result p =
      wavetool_test::run_command("/usr/bin/parallel", {"-j", "2"}, d.path(), list.out);
  // GNU parallel's status counts the commands that failed: each fit's status 3.
  ASSERT_EQ(p.status, 6) << p.err;
  EXPECT_EQ(count_of(p.out, "0 of 1 fits passed; not passed: "), 6u) << p.out;
  // Before the gathering only the fits' own files are there.
  EXPECT_EQ(tree(d / "split").size(), 16u);
  const run_result gather =
      run(d.path(), {"suite", "plan.toml", "--out", "split", "--report-only"});
  EXPECT_EQ(gather.status, 3) << gather.err;
  EXPECT_EQ(gather.err, "");
  EXPECT_EQ(gather.out, std::string(none_passed) + "split/summary.csv, split/report.html\n");
  EXPECT_TRUE(tree(d / "whole") == tree(d / "split"));
}

// Each fit's result file and summary row against `wavetool check` of the written wave: the same
// measures, all four criteria met (against the bedrock spectrum, which check judges by), at rest.
TEST(wavetool_suite, results_agree_with_check_of_every_written_wave) {
  const scratch_dir d;
  prepare_set(d);
  ASSERT_EQ(run(d.path(), {"suite", "plan.toml", "--out", "out"}).status, 0);
  const std::vector<std::string> rows = lines_of(read_file(d / "out/summary.csv"));
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0],
            "target,wave,status,iterations,cr1,cr2,cr3,cr4,pga,pgv,pgd,end_velocity,"
            "end_displacement,arias,d5_95");
  const nlohmann::json all = nlohmann::json::parse(read_file(d / "out/summary.json"));
  ASSERT_EQ(all.size(), 6u);
  for (std::size_t k = 0; k < fits.size(); ++k) {
    const nlohmann::json j = nlohmann::json::parse(read_file(d / "out" / (fits[k] + ".json")));
    EXPECT_EQ(all[k], j) << fits[k];
    const run_result check = run(d.path(), {"check", "out/" + fits[k] + ".csv", "--json"});
    ASSERT_EQ(check.status, 0) << check.err;
    const nlohmann::json c = nlohmann::json::parse(check.out);
    for (const char* key : {"pga_time", "pgv", "pgd", "end_velocity", "end_displacement", "arias",
                            "d5_95", "samples", "dt"}) {
      EXPECT_EQ(j[key], c[key]) << fits[k] << " " << key;
    }
    // The peak is a float sample: written as its shortest decimal, "355.4", not as the
    // "355.3999938964844" it widens to (check shows the widened double).
    const auto pga = static_cast<float>(c["pga"].get<double>());
    char pga_text[32];
    const std::string shortest(pga_text, std::to_chars(pga_text, pga_text + 32, pga).ptr);
    // A whole number of gal is a JSON number with ".0", as the JSON writer shows any double.
    const std::string in_json =
        shortest.find_first_of(".e") == std::string::npos ? shortest + ".0" : shortest;
    EXPECT_NE(read_file(d / "out" / (fits[k] + ".json")).find("\"pga\": " + in_json + ",\n"),
              std::string::npos)
        << fits[k] << " " << in_json;
    std::vector<std::string> fields;
    std::istringstream row(rows[k + 1]);
    for (std::string field; std::getline(row, field, ',');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 15u) << rows[k + 1];
    EXPECT_EQ(fields[8], shortest) << rows[k + 1];
    const nlohmann::json& judged = k < 3 ? c["criteria"] : j;
    if (k < 3) {
      for (const char* key : {"cr1", "cr2", "cr3", "cr4"}) {
        EXPECT_EQ(j[key], c["criteria"][key]) << fits[k] << " " << key;
      }
    }
    EXPECT_EQ(j["status"], "passed") << fits[k];
    EXPECT_GE(judged["cr1"].get<double>(), 0.85) << fits[k];
    EXPECT_GE(judged["cr2"].get<double>(), 1.0) << fits[k];
    EXPECT_LE(judged["cr3"].get<double>(), 0.05) << fits[k];
    EXPECT_GE(judged["cr4"].get<double>(), 0.95) << fits[k];
    EXPECT_LE(std::abs(c["end_velocity"].get<double>()), 0.1);
    EXPECT_LE(std::abs(c["end_displacement"].get<double>()), 1.0);
    EXPECT_TRUE(rows[k + 1].starts_with(fits[k].substr(0, fits[k].find('/')) + "," +
                                        j["wave"].get<std::string>() + ",passed," +
                                        std::to_string(j["iterations"].get<int>()) + ","))
        << rows[k + 1];
  }
  // The PEER wave's own corners, the plan's defaults for the rest.
  const nlohmann::json lomap = nlohmann::json::parse(read_file(d / "out/surface2-L1/lomap.json"));
  EXPECT_EQ(lomap["options"]["corners"], nlohmann::json({2.0, 16.0, 30.0, 40.0}));
  EXPECT_EQ(lomap["options"]["max_iterations"], 30);
}

// A wave's own limit wins over [defaults]: one iteration cannot bring seed 1 through criterion 3
// (fitwave's own first iteration leaves it at 0.20), so the suite ends with status 3, all files
// written and the fits that did not pass named.
TEST(wavetool_suite, fits_not_passed_give_status_3_and_are_named) {
  const scratch_dir d;
  std::string plan(plan_text);
  plan.insert(plan.find("seed = 1\n"), "max_iterations = 1\n");
  prepare_set(d, plan);
  const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out"});
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_EQ(r.out,
            "4 of 6 fits passed; not passed: bedrock-L2/random1, surface2-L1/random1: "
            "out/summary.csv, out/report.html\n");
  const std::vector<std::string> rows = lines_of(read_file(d / "out/summary.csv"));
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_TRUE(rows[1].starts_with("bedrock-L2,random1,not passed,1,")) << rows[1];
  EXPECT_TRUE(rows[2].starts_with("bedrock-L2,random2,passed,")) << rows[2];
  EXPECT_TRUE(fs::exists(d / "out/report.html"));
  const std::string page = read_file(d / "out/report.html");
  EXPECT_EQ(count_of(page, "<tr class=\"failed\">"), 2u);
}

// A seed in a plan is seedwave's seed: fitted to the bedrock spectrum it gives the bytes of the
// golden run's seed 1 given as a record.
TEST(wavetool_suite, a_seed_drawn_in_the_plan_is_the_golden_seed) {
  const scratch_dir d;
  prepare_set(d, R"([defaults]
max_iterations = 2
[[target]]
name = "t"
[[wave]]
name = "drawn"
seed = 1
[[wave]]
name = "given"
record = "seed1.csv"
format = "columns"
)");
  const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out"});
  EXPECT_EQ(r.status, 3) << r.err;
  const std::string drawn = read_file(d / "out/t/drawn.csv");
  EXPECT_GT(drawn.size(), 8192u * 10u);
  EXPECT_EQ(drawn, read_file(d / "out/t/given.csv"));
  nlohmann::json a = nlohmann::json::parse(read_file(d / "out/t/drawn.json"));
  nlohmann::json b = nlohmann::json::parse(read_file(d / "out/t/given.json"));
  EXPECT_EQ(a["iterations"], 2);
  a.erase("wave");
  b.erase("wave");
  EXPECT_EQ(a, b);
}

// The page in headless Chromium: it loads, every figure is in the rendered document (two per
// target and one per fit), a screenshot and a printed PDF are made. Nothing outside the page is
// referred to. On A4 the plan takes a page, and each target one for its spectra, ratio and
// results and one for every two waves' motions: 1 + 2 x (1 + 2) pages for 2 targets of 3 waves.
TEST(wavetool_suite, report_page_renders_in_headless_chromium) {
  const scratch_dir d;
  prepare_set(d, quick_plan());
  ASSERT_EQ(run(d.path(), {"suite", "plan.toml", "--out", "out"}).status, 3);
  const std::string page = read_file(d / "out/report.html");
  for (const char* outside : {"<script", "<link", "<img", "src=", "@import", "url(http"}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
  if (!fs::exists("/usr/bin/chromium")) GTEST_SKIP() << "chromium is not installed";
  const std::string url = "file://" + (d / "out/report.html").string();
  const std::vector<std::string> common = {"--headless", "--no-sandbox", "--disable-gpu",
                                           "--window-size=1100,1600"};
  auto with = [&](std::vector<std::string> args) {
    args.insert(args.begin(), common.begin(), common.end());
    args.push_back(url);
    return wavetool_test::run_command("/usr/bin/chromium", args, d.path());
  };
  const run_result dom = with({"--dump-dom"});
  ASSERT_EQ(dom.status, 0) << dom.err;
  EXPECT_NE(dom.out.find("<h1>Design ground motions</h1>"), std::string::npos);
  EXPECT_EQ(count_of(dom.out, "<svg"), 2u * 2u + 6u);
  EXPECT_EQ(count_of(dom.out, "<figure>"), 2u * 2u + 6u);
  const run_result shot = with({"--screenshot=" + (d / "report.png").string()});
  EXPECT_EQ(shot.status, 0) << shot.err;
  EXPECT_TRUE(read_file(d / "report.png").starts_with("\x89PNG"));
  const run_result pdf = with({"--print-to-pdf=" + (d / "report.pdf").string()});
  EXPECT_EQ(pdf.status, 0) << pdf.err;
  const std::string printed = read_file(d / "report.pdf");
  EXPECT_TRUE(printed.starts_with("%PDF"));
  EXPECT_LE(count_of(printed, "/Type /Page") - count_of(printed, "/Type /Pages"), 7u);
  if (const char* keep = std::getenv("GM_KEEP_REPORT")) {
    for (const char* f : {"out/report.html", "report.png", "report.pdf"}) {
      fs::copy_file(d / f, fs::path(keep) / fs::path(f).filename(),
                    fs::copy_options::overwrite_existing);
    }
  }
}

}  // namespace
