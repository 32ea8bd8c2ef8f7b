// What a suite hands over: a folder of any name gets its report and runs nothing; gathered
// results are verified against the plan and the waves on disk, never taken on their word; after
// any run the folder holds what that run wrote and nothing an earlier run left.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "suite_scratch.h"

namespace {

using namespace suite_test;

// Folder names a shell, gnuplot or a quoting slip would read as more than a name: each holds an
// apostrophe, which ends a single-quoted string, and something that would then run or break.
TEST(suite_handover, a_folder_of_any_name_gets_its_report_and_runs_nothing) {
  const std::vector<std::string> names = {
      "a'`touch ran1`'",
      "O'Brien runs",
      "it's \"quoted\"",
      "$(touch ran2)'; touch ran3",
      "new'\nline",
      "séisme' 地震 Ω",
      "x';system('touch ran4');'",
  };
  for (const std::string& out : names) {
    SCOPED_TRACE(out);
    const scratch_dir d;
    prepare(d);
    const run_result r = run(d.path(), {"suite", "plan.toml", "--out", out});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 of 1 fits passed: " + out + "/summary.csv, " + out + "/report.html\n");
    EXPECT_TRUE(r.err.starts_with("[1/1] t/seed1 passed after ")) << r.err;
    EXPECT_EQ(count_of(r.err, "\n"), 1u) << r.err;
    // Nothing ran: the scratch folder holds the inputs and the suite's folder only.
    std::vector<std::string> top;
    for (const auto& e : fs::directory_iterator(d.path())) top.push_back(e.path().filename());
    std::sort(top.begin(), top.end());
    std::vector<std::string> expected = {"plan.toml", "seed1.csv", out};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(top, expected);
    EXPECT_EQ(names_in(d / out),
              (std::vector<std::string>{"report.html", "summary.csv", "summary.json", "t/seed1.csv",
                                        "t/seed1.json"}));
    const std::string page = read_file(d / out / "report.html");
    // Two figures for the target, one for the fit, the wave named in the spectra's keys.
    EXPECT_EQ(count_of(page, "<svg"), 3u);
    EXPECT_GE(count_of(page, ">seed1</text>"), 2u);
  }
}

std::string edited_json(const fs::path& file, const char* key, const nlohmann::json& value) {
  nlohmann::ordered_json j = nlohmann::ordered_json::parse(read_file(file));
  j[key] = value;
  return j.dump(2) + "\n";
}

// --report-only gathers nothing it cannot vouch for: each refusal names the pair and the
// command that fits it again, and leaves the summaries as they were.
TEST(suite_handover, gathering_verifies_each_result_against_the_plan_and_its_wave) {
  const std::string again = " (fit it again with --only t/seed1)\n";
  struct row {
    const char* what;
    std::string plan;  // empty: as fitted
    const char* file;  // replaced in the folder, under out/
    std::function<std::string(const fs::path&)> bytes;
    std::string err;  // '*' stands for any text
  };
  const std::string surface3 = std::string(one_fit_plan)
                                   .insert(std::string(one_fit_plan).find("\n\n"),
                                           "\nspectrum = \"surface\"\nsoil = 3\nzone = 1.5");
  const std::string export_at2 = std::string(one_fit_plan) + "export = [\"at2\"]\n";
  const row rows[] = {
      {"the target changed", surface3, nullptr, nullptr,
       "wavetool: out/t/seed1.json: the fit of t/seed1 was made with other options than the plan "
       "asks now (spectrum)" +
           again},
      {"an export asked since", export_at2, nullptr, nullptr,
       "wavetool: out/t/seed1.json: the fit of t/seed1 was made with other options than the plan "
       "asks now (export)" +
           again},
      {"criterion 1 edited", "", "t/seed1.json",
       [](const fs::path& f) { return edited_json(f, "cr1", 0.5); },
       "wavetool: out/t/seed1.json: does not describe the wave of t/seed1: cr1 is 0.5 in the "
       "file, * by its wave" +
           again},
      {"the peak displacement edited", "", "t/seed1.json",
       [](const fs::path& f) { return edited_json(f, "pgd", 1.0); },
       "wavetool: out/t/seed1.json: does not describe the wave of t/seed1: pgd is 1 in the file, * "
       "by its wave" +
           again},
      {"the wave cut to 1000 bytes", "", "t/seed1.csv",
       [](const fs::path& f) { return read_file(f).substr(0, 1000); },
       "wavetool: out/t/seed1.*" + again},
      {"the wave gone", "", "t/seed1.csv", nullptr, "wavetool: out/t/seed1.csv: *" + again},
      {"not JSON", "", "t/seed1.json", [](const fs::path&) { return std::string("{ \"cr1\": "); },
       "wavetool: out/t/seed1.json: not a fit's result: expected the JSON object the suite "
       "writes, with target, wave, status, iterations, cr1 to cr4 and the measures" +
           again},
  };
  const scratch_dir base;
  prepare(base);
  ASSERT_EQ(run(base.path(), {"suite", "plan.toml", "--out", "out"}).status, 0);
  const auto fitted = tree(base / "out");
  for (const row& c : rows) {
    SCOPED_TRACE(c.what);
    const scratch_dir d;
    prepare(d, c.plan.empty() ? one_fit_plan : c.plan);
    fs::copy(base / "out", d / "out", fs::copy_options::recursive);
    if (c.file) {
      if (c.bytes) {
        write_file(d / "out" / c.file, c.bytes(d / "out" / c.file));
      } else {
        fs::remove(d / "out" / c.file);
      }
    }
    const auto before = tree(d / "out");
    const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out", "--report-only"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(matches(r.err, c.err)) << r.err;
    EXPECT_EQ(r.err.find("json.exception"), std::string::npos) << r.err;
    EXPECT_TRUE(tree(d / "out") == before) << "the folder changed";
  }
  // A result that says "passed" where its own criteria say otherwise: one iteration leaves seed
  // 1 short of criterion 3, and the status alone is edited.
  const scratch_dir d;
  prepare(d, std::string(one_fit_plan) + "max_iterations = 1\n");
  ASSERT_EQ(run(d.path(), {"suite", "plan.toml", "--out", "out"}).status, 3);
  write_file(d / "out/t/seed1.json", edited_json(d / "out/t/seed1.json", "status", "passed"));
  const run_result r = run(d.path(), {"suite", "plan.toml", "--out", "out", "--report-only"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "wavetool: out/t/seed1.json: says passed where the criteria and limits say not "
            "passed" +
                again);
  // Unchanged, the folder gathers to the same bytes.
  const scratch_dir same;
  prepare(same);
  fs::copy(base / "out", same / "out", fs::copy_options::recursive);
  const run_result g = run(same.path(), {"suite", "plan.toml", "--out", "out", "--report-only"});
  EXPECT_EQ(g.status, 0) << g.err;
  EXPECT_EQ(g.err, "");
  EXPECT_TRUE(tree(same / "out") == fitted);
}

}  // namespace
