// `wavetool suite` and `wavetool export` run as scripts run them: both console streams, the exit
// status and every file byte for byte; the same folder for any --jobs and for the listed
// commands run through GNU parallel; the report page in a real browser; exports read back.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "run_command.h"
#include "run_program.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::run_result;
using testsupport::scratch_dir;
using testsupport::write_file;

const fs::path wavetool = GM_WAVETOOL_PATH;

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

void prepare(const scratch_dir& d, std::string_view plan = plan_text) {
  fs::copy_file(GM_GOLDEN_DIR "/seed1.csv", d / "seed1.csv");
  fs::copy_file(GM_WAVETOOL_DATA "/RSN753_LOMAP_CLS000.AT2", d / "lomap.AT2");
  write_file(d / "short.txt", "0.1 800\n1 800\n5 160\n");  // short of the criteria's periods
  write_file(d / "plan.toml", plan);
}

run_result run(const scratch_dir& d, const std::vector<std::string>& args,
               std::string_view input = {}) {
  return wavetool_test::run_command(wavetool, args, d.path(), input);
}

// Every file under dir by its path relative to dir, with its bytes.
std::map<std::string, std::string> tree(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    if (e.is_regular_file()) files[fs::relative(e.path(), dir).string()] = read_file(e.path());
  }
  return files;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

const std::vector<std::string> fits = {"bedrock-L2/random1",  "bedrock-L2/random2",
                                       "bedrock-L2/lomap",    "surface2-L1/random1",
                                       "surface2-L1/random2", "surface2-L1/lomap"};

TEST(wavetool_suite, same_bytes_for_any_jobs_and_one_command_per_fit_listed) {
  const scratch_dir d;
  prepare(d, quick_plan());
  const run_result one = run(d, {"suite", "plan.toml", "--out", "one", "--jobs", "1"});
  const run_result two = run(d, {"suite", "plan.toml", "--out", "two", "--jobs", "2"});
  // Both fits at once, each on two engine threads: the same bytes again.
  const run_result wide =
      run(d, {"suite", "plan.toml", "--out", "wide", "--jobs", "2", "--threads-per-fit", "2"});
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

  const run_result list = run(d, {"suite", "plan.toml", "--out", "elsewhere", "--list"});
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
  prepare(d, quick_plan());
  ASSERT_EQ(run(d, {"suite", "plan.toml", "--out", "whole"}).status, 3);
  const run_result list = run(d, {"suite", "plan.toml", "--out", "split", "--list"});
  const run_result p =
      wavetool_test::run_command("/usr/bin/parallel", {"-j", "2"}, d.path(), list.out);
  // GNU parallel's status counts the commands that failed: each fit's status 3.
  ASSERT_EQ(p.status, 6) << p.err;
  EXPECT_EQ(count_of(p.out, "0 of 1 fits passed; not passed: "), 6u) << p.out;
  // Before the gathering only the fits' own files are there.
  EXPECT_EQ(tree(d / "split").size(), 16u);
  const run_result gather = run(d, {"suite", "plan.toml", "--out", "split", "--report-only"});
  EXPECT_EQ(gather.status, 3) << gather.err;
  EXPECT_EQ(gather.err, "");
  EXPECT_EQ(gather.out, std::string(none_passed) + "split/summary.csv, split/report.html\n");
  EXPECT_TRUE(tree(d / "whole") == tree(d / "split"));
}

// Each fit's result file and summary row against `wavetool check` of the written wave: the same
// measures, all four criteria met (against the bedrock spectrum, which check judges by), at rest.
TEST(wavetool_suite, results_agree_with_check_of_every_written_wave) {
  const scratch_dir d;
  prepare(d);
  ASSERT_EQ(run(d, {"suite", "plan.toml", "--out", "out"}).status, 0);
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
    const run_result check = run(d, {"check", "out/" + fits[k] + ".csv", "--json"});
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
  prepare(d, plan);
  const run_result r = run(d, {"suite", "plan.toml", "--out", "out"});
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
  prepare(d, R"([defaults]
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
  const run_result r = run(d, {"suite", "plan.toml", "--out", "out"});
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

std::vector<std::string> words(const std::string& text) {
  std::vector<std::string> w;
  std::istringstream in(text);
  for (std::string x; in >> x;) w.push_back(x);
  return w;
}

// A fit in a plan is `wavetool fit` of the same wave with the same options: the same fitted
// bytes and status; its result file holds the options and the criteria `wavetool check` gives
// of the written wave against that spectrum; the report draws the chosen damping and window.
// El Centro's 0.02 s step is resampled to 0.01 s first, with one line on standard error, unless
// keep_step (the criteria are then judged from the step's shortest period, 0.04 s).
TEST(wavetool_suite, a_fit_in_a_plan_is_wavetool_fit_with_the_same_options) {
  struct row {
    const char* keys;     // the [[target]]'s and the [[wave]]'s own, as in the plan
    const char* options;  // of fit and check, besides --max-iterations 3 and the corners
    const char* wave;     // the record
    const char* note;     // suite's standard error before its progress line
    const char* page;     // in report.html
    double dt;            // the step fitted (s)
  };
  const std::string resampled =
      "wavetool: t/w: step 0.02 s is coarser than half the window's shortest period: resampled "
      "to 0.01 s by band-limited interpolation, fitted and written at that step\n";
  const row rows[] = {
      {"damping = 0.03\n", "--damping 0.03", "seed1", "", "Spectral acceleration, 3 % damping",
       0.01},
      {"damping = 0.025\nspectrum = \"surface\"\nsoil = 3\n",
       "--damping 0.025 --spectrum surface --soil 3", "seed1", "",
       "Spectral acceleration, 2.5 % damping", 0.01},
      {"window = [0.1, 5]\n", "--window 0.1,5", "seed1", "",
       "<td>0.1&ndash;5 s</td><td>&ge; 0.85</td>", 0.01},
      {"", "", "elcentro", resampled.c_str(), "<td>0.02&ndash;10 s</td>", 0.01},
      {"keep_step = true\n", "--keep-step", "elcentro", "", "<td>0.02&ndash;10 s</td>", 0.02},
      // A window from 0.05 s judges El Centro at its own step.
      {"window = [0.05, 10]\n", "--window 0.05,10", "elcentro", "", "<td>0.05&ndash;10 s</td>",
       0.02},
  };
  for (const row& c : rows) {
    const scratch_dir d;
    prepare(d, "");
    fs::copy_file(GM_WAVETOOL_DATA "/elcentro_1940_ns.dat", d / "elcentro.dat");
    const std::string keys = c.keys;
    const bool wave_key = keys.starts_with("keep_step");
    const std::string record = std::string(c.wave) == "seed1"
                                   ? "record = \"seed1.csv\"\nformat = \"columns\"\n"
                                   : "record = \"elcentro.dat\"\nformat = \"values\"\n"
                                     "dt = 0.02\nunits = \"g\"\n";
    write_file(d / "plan.toml",
               "[defaults]\nmax_iterations = 3\ncorners = [1, 10, 25, 30]\n"
               "[[target]]\nname = \"t\"\n" +
                   (wave_key ? "" : keys) + "[[wave]]\nname = \"w\"\n" + record +
                   (wave_key ? keys : ""));
    const run_result suite = run(d, {"suite", "plan.toml", "--out", "out"});
    ASSERT_NE(suite.status, 1) << c.keys << suite.err;
    EXPECT_TRUE(suite.err.starts_with(std::string(c.note) + "[1/1] t/w ")) << c.keys << suite.err;
    EXPECT_EQ(count_of(suite.err, "\n"), std::string(c.note).empty() ? 1u : 2u) << suite.err;

    std::string wave = "seed1.csv";
    if (wave_key || std::string(c.wave) == "elcentro") {
      wave = "elcentro.csv";
      ASSERT_EQ(run(d, {"import", "elcentro.dat", "-o", wave, "--format", "values", "--dt", "0.02",
                        "--units", "g"})
                    .status,
                0);
    }
    std::vector<std::string> fit = {
        "fit", wave, "-o", "fitted.csv", "--max-iterations", "3", "--corners", "1,10,25,30"};
    for (const std::string& w : words(c.options)) fit.push_back(w);
    const run_result alone = run(d, fit);
    EXPECT_EQ(suite.status, alone.status) << c.keys << alone.err;
    EXPECT_EQ(read_file(d / "out/t/w.csv"), read_file(d / "fitted.csv")) << c.keys;

    const nlohmann::json j = nlohmann::json::parse(read_file(d / "out/t/w.json"));
    std::vector<std::string> check_args = {"check", "out/t/w.csv", "--json"};
    for (const std::string& w : words(c.options)) {
      if (w != "--keep-step") check_args.push_back(w);
    }
    const run_result check = run(d, check_args);
    ASSERT_EQ(check.status, 0) << c.keys << check.err;
    const nlohmann::json checked = nlohmann::json::parse(check.out);
    for (const char* key : {"cr1", "cr2", "cr3", "cr4"}) {
      EXPECT_EQ(j[key], checked["criteria"][key]) << c.keys << key;
    }
    EXPECT_EQ(j["dt"], c.dt) << c.keys;
    const std::string options = c.options;
    EXPECT_EQ(j["options"]["damping"], options.find("0.025") != std::string::npos  ? 0.025
                                       : options.find("0.03") != std::string::npos ? 0.03
                                                                                   : 0.05);
    EXPECT_EQ(j["options"]["window"],
              options.find("0.1,5") != std::string::npos     ? nlohmann::json({0.1, 5.0})
              : options.find("0.05,10") != std::string::npos ? nlohmann::json({0.05, 10.0})
                                                             : nlohmann::json({0.02, 10.0}));
    EXPECT_EQ(j["options"]["keep_step"], wave_key) << c.keys;
    EXPECT_NE(read_file(d / "out/report.html").find(c.page), std::string::npos) << c.keys;
  }
}

// A broken plan is refused before any work, with its line, and nothing is written.
TEST(wavetool_suite, bad_plans_are_refused_with_their_line) {
  struct row {
    const char* plan;
    const char* err;  // the whole of standard error; a prefix where it ends in '*'
  };
  const row rows[] = {
      {"[[target]]\nname = \"t\"\ncolour = \"red\"\n",
       "wavetool: plan.toml:3: unknown key \"colour\" in [[target]]\n"},
      {"[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nshift = 2\n",
       "wavetool: plan.toml:6: unknown key \"shift\" in [[wave]]\n"},
      // The parser quotes the line break it stopped at: the message stays on one line.
      {"[[target]]\nname = \"t\"\nno_rest = t\n", "wavetool: plan.toml:3: *"},
      {"[options]\njobs = 2\n",
       "wavetool: plan.toml:1: unknown key \"options\" (expected [defaults], [[target]], "
       "[[wave]])\n"},
      {"[defaults]\ncorners = \"4,35,60,80\"\n",
       "wavetool: plan.toml:2: corners: expected four numbers [TB, TC, TD, TE] with 0 <= TB <= TC "
       "<= TD <= TE, TE > 0\n"},
      {"[defaults]\ncorners = [80, 60, 35, 4]\n",
       "wavetool: plan.toml:2: corners: expected four numbers [TB, TC, TD, TE] with 0 <= TB <= TC "
       "<= TD <= TE, TE > 0\n"},
      // The rule `wavetool fit --corners` and `wavetool seed --corners` tell.
      {"[defaults]\ncorners = [1, 2, 3]\n",
       "wavetool: plan.toml:2: corners: expected four numbers [TB, TC, TD, TE] with 0 <= TB <= TC "
       "<= TD <= TE, TE > 0\n"},
      {"[defaults]\ncorners = [4, 3, 60, 80]\n",
       "wavetool: plan.toml:2: corners: expected four numbers [TB, TC, TD, TE] with 0 <= TB <= TC "
       "<= TD <= TE, TE > 0\n"},
      {"[defaults]\nmax_iterations = 0\n",
       "wavetool: plan.toml:2: max_iterations: expected an integer from 1 to 1000\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"mars\"\n",
       "wavetool: plan.toml:3: spectrum: expected bedrock, surface, ec8, asce7 or table, found "
       "\"mars\"\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"surface\"\nsoil = 4\n",
       "wavetool: plan.toml:4: soil: expected 1, 2 or 3, found \"4\"\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"surface\"\n",
       "wavetool: plan.toml:1: soil: required by the surface spectrum\n"},
      {"[defaults]\nsoil = 2\n[[target]]\nname = \"t\"\n",
       "wavetool: plan.toml:2: soil: not an option of the bedrock spectrum (in [defaults], for "
       "target \"t\")\n"},
      {"[[target]]\nname = \"t\"\nzone = \"1\"\n",
       "wavetool: plan.toml:3: zone: expected a number\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"asce7\"\nsds = 1.0\nsd1 = 0.6\ntl = 8\n"
       "damping = 0.03\n",
       "wavetool: plan.toml:7: damping: the asce7 spectrum is defined at 0.05 only\n"},
      {"[[target]]\nname = \"t\"\nlevel = \"rare\"\ndamping = 1.5\n",
       "wavetool: plan.toml:4: damping: expected 0 < H < 1, found 1.5\n"},
      {"[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\nseed = 1\nkeep_step = 1\n",
       "wavetool: plan.toml:6: keep_step: expected true or false\n"},
      // Refused as `wavetool fit` refuses the wave, once it is read, before any fit.
      {"[[target]]\nname = \"t\"\nwindow = [500, 600]\n[[wave]]\nname = \"w\"\n"
       "record = \"seed1.csv\"\nformat = \"columns\"\n",
       "wavetool: t/w: criterion 1 cannot be judged: no period of 8192 samples at 0.01 s lies in "
       "its window 500..600 s\n"},
      {"[[target]]\nname = \"t\"\nspectrum = \"table\"\ntable = \"short.txt\"\n",
       "wavetool: plan.toml:4: table: the table's periods 0.1 to 5 s do not reach the criteria's "
       "0.02 to 10 s (never extrapolated)\n"},
      {"[[target]]\nname = \"a/b\"\n",
       "wavetool: plan.toml:2: name: expected letters, digits, '-', '_' or '.' (not first), found "
       "\"a/b\"\n"},
      {"[[target]]\nname = \"t\"\n[[target]]\nname = \"t\"\n",
       "wavetool: plan.toml:3: a second target named \"t\" (the first at line 1)\n"},
      {"[[target]]\nspectrum = \"bedrock\"\n",
       "wavetool: plan.toml:1: [[target]]: expected a name\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"missing.AT2\"\n",
       "wavetool: plan.toml:3: record \"missing.AT2\": no such file\n"},
      {"[[wave]]\nname = \"w\"\nseed = 1\nsamples = 4096\n",
       "wavetool: plan.toml:1: samples: the seed lasts 40.96 s, shorter than its envelope's 60 "
       "s\n"},
      {"[[wave]]\nname = \"w\"\nseed = 1\ndt = 0.2\n",
       "wavetool: plan.toml:1: dt: a seed's step is at most 0.1 s\n"},
      {"[[wave]]\nname = \"w\"\n",
       "wavetool: plan.toml:1: [[wave]]: expected either seed or record\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nexport = [\"sac\"]\n",
       "wavetool: plan.toml:4: export: expected one of columns, opensees, at2, found \"sac\"\n"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\nstart = 5\nend = 1\n",
       "wavetool: plan.toml:1: start: must not be later than end\n"},
      {"[[target]]\nname = \"t\"\nwindow = [10, 0.02]\n",
       "wavetool: plan.toml:3: window: expected TMIN,TMAX (s) with 0 < TMIN < TMAX, found "
       "\"10,0.02\"\n"},
      {"[[target]]\nname = \"t\"\nname = \"u\"\n", "wavetool: plan.toml:3: *"},
      {"[[wave]]\nname = \"w\"\nrecord = \"seed1.csv\"\n",
       "wavetool: plan.toml: expected at least one [[target]]\n"},
  };
  for (const row& c : rows) {
    const scratch_dir d;
    prepare(d, c.plan);
    const run_result r = run(d, {"suite", "plan.toml", "--out", "out"});
    EXPECT_EQ(r.status, 1) << c.plan;
    EXPECT_EQ(r.out, "") << c.plan;
    const std::string err = c.err;
    if (err.ends_with('*')) {
      EXPECT_TRUE(r.err.starts_with(err.substr(0, err.size() - 1))) << c.plan << r.err;
      EXPECT_EQ(count_of(r.err, "\n"), 1u) << r.err;
    } else {
      EXPECT_EQ(r.err, err) << c.plan;
    }
    EXPECT_FALSE(fs::exists(d / "out")) << c.plan;
  }
}

// One target and one wave: what the report-less tests need.
constexpr std::string_view small_plan = R"([[target]]
name = "t"

[[wave]]
name = "seed1"
record = "seed1.csv"
format = "columns"
)";

// Without gnuplot on the path the fits and summaries are written all the same, and one line
// says what the report needs.
TEST(wavetool_suite, without_gnuplot_the_fits_and_summaries_are_written) {
  const scratch_dir d;
  prepare(d, small_plan);
  const run_result with = run(d, {"suite", "plan.toml", "--out", "with"});
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

// The page in headless Chromium: it loads, every figure is in the rendered document (two per
// target and one per fit), a screenshot and a printed PDF are made. Nothing outside the page is
// referred to.
TEST(wavetool_suite, report_page_renders_in_headless_chromium) {
  const scratch_dir d;
  prepare(d, quick_plan());
  ASSERT_EQ(run(d, {"suite", "plan.toml", "--out", "out"}).status, 3);
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
  EXPECT_TRUE(read_file(d / "report.pdf").starts_with("%PDF"));
  if (const char* keep = std::getenv("GM_KEEP_REPORT")) {
    for (const char* f : {"out/report.html", "report.png", "report.pdf"}) {
      fs::copy_file(d / f, fs::path(keep) / fs::path(f).filename(),
                    fs::copy_options::overwrite_existing);
    }
  }
}

// The numbers of a file's lines after those starting with '#': column col (from 0) of each.
std::vector<double> column_of(const std::string& text, std::size_t col, std::size_t skip = 0) {
  std::vector<double> v;
  std::size_t n = 0;
  for (const std::string& line : lines_of(text)) {
    if (line.starts_with('#') || n++ < skip) continue;
    std::string blanks = line;
    for (char& ch : blanks) ch = ch == ',' ? ' ' : ch;
    std::istringstream in(blanks);
    std::string field;
    for (std::size_t k = 0; k <= col; ++k) in >> field;
    v.push_back(std::strtod(field.c_str(), nullptr));
  }
  return v;
}

TEST(wavetool_export, layouts_read_back_and_integrate_from_rest) {
  const scratch_dir d;
  // 2 gal held for 1 s: the trapezoidal rule is exact here, v = 2t cm/s and d = t^2 cm, up to
  // the rounding of the sums.
  std::string constant = "time(s),acc(gal)\n";
  for (int i = 0; i <= 100; ++i) constant += std::to_string(i) + "e-2,2\n";
  write_file(d / "constant.csv", constant);
  fs::copy_file(GM_GOLDEN_DIR "/seed1.csv", d / "seed1.csv");
  struct row {
    const char* args;
    const char* header;
  };
  const row rows[] = {
      {"constant.csv --to columns --what displacement -o x.txt", "# time(s) displacement(cm)"},
      {"constant.csv --to columns --what velocity -o x.txt", "# time(s) velocity(cm/s)"},
      // The opensees layout holds the values alone; its step and unit go to standard error.
      {"constant.csv --to opensees --what displacement --scale 0.01 -o x.txt",
       "wavetool: x.txt: dt 0.01 s, displacement(cm) times 0.01, one value a line\n"},
  };
  for (const row& c : rows) {
    std::vector<std::string> args{"export"};
    std::istringstream in(c.args);
    for (std::string a; in >> a;) args.push_back(a);
    const run_result r = run(d, args);
    ASSERT_EQ(r.status, 0) << c.args << r.err;
    const bool opensees = std::string(c.args).find("opensees") != std::string::npos;
    EXPECT_EQ(r.out + r.err, opensees ? c.header : "");
    const std::string text = read_file(d / "x.txt");
    if (!opensees) {
      EXPECT_EQ(lines_of(text)[0], c.header);
    }
    const std::vector<double> x = column_of(text, opensees ? 0 : 1);
    ASSERT_EQ(x.size(), 101u) << c.args;
    for (std::size_t i = 0; i <= 100; ++i) {
      // The step as the wave is read: 0.01 in single precision, widened.
      const double t = static_cast<double>(i) * static_cast<double>(0.01f);
      const double expected = std::string(c.args).find("velocity") != std::string::npos ? 2.0 * t
                              : opensees ? 0.01 * t * t
                                         : t * t;
      EXPECT_NEAR(x[i], expected, 1e-12 * (1.0 + expected)) << c.args << " sample " << i;
    }
    if (!opensees) {
      const std::vector<double> time = column_of(text, 0);
      EXPECT_EQ(time[37], 0.37);
    }
  }
  // OpenSees values: the wave times the scale, exactly.
  ASSERT_EQ(
      run(d, {"export", "seed1.csv", "--to", "opensees", "--scale", "2.5", "-o", "o.txt"}).status,
      0);
  const std::vector<double> wave = column_of(read_file(d / "seed1.csv"), 1, 1);
  const std::vector<double> scaled = column_of(read_file(d / "o.txt"), 0);
  ASSERT_EQ(wave.size(), 8192u);
  ASSERT_EQ(scaled.size(), wave.size());
  for (std::size_t i = 0; i < wave.size(); ++i) {
    ASSERT_EQ(scaled[i], 2.5 * static_cast<double>(static_cast<float>(wave[i]))) << i;
  }
  // AT2 in g, five values a line, read back by import to the same single-precision values.
  ASSERT_EQ(run(d, {"export", "seed1.csv", "--to", "at2", "-o", "s.AT2"}).status, 0);
  const std::vector<std::string> at2 = lines_of(read_file(d / "s.AT2"));
  ASSERT_GE(at2.size(), 5u);
  EXPECT_EQ(at2[2], "ACCELERATION TIME SERIES IN UNITS OF G");
  EXPECT_EQ(at2[3], "NPTS=    8192, DT= 0.01 SEC");
  EXPECT_EQ(at2.size(), 4u + 8192u / 5u + 1u);
  const run_result back = run(d, {"import", "s.AT2", "-o", "back.csv"});
  ASSERT_EQ(back.status, 0) << back.err;
  const std::vector<double> again = column_of(read_file(d / "back.csv"), 1, 1);
  ASSERT_EQ(again.size(), wave.size());
  for (std::size_t i = 0; i < wave.size(); ++i) {
    ASSERT_EQ(static_cast<float>(again[i]), static_cast<float>(wave[i])) << i;
  }
  // Bad input: one line, nothing written.
  const run_result missing = run(d, {"export", "none.csv", "--to", "at2", "-o", "n.AT2"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.err.starts_with("wavetool: none.csv: ")) << missing.err;
  EXPECT_FALSE(fs::exists(d / "n.AT2"));
}

}  // namespace
