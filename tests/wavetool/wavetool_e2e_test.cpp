// wavetool run as a script runs it: arguments, both console streams, exit status and files,
// byte for byte; and fitwave run on what import writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <vector>

#include "records.h"
#include "run_command.h"

namespace {

using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;
using wavetool_test::run_command;

const std::filesystem::path wavetool = GM_WAVETOOL_PATH;
const std::filesystem::path fitwave = GM_FITWAVE_PATH;
const std::string golden = GM_GOLDEN_DIR;

std::vector<std::string> files_in(const std::filesystem::path& dir) {
  std::vector<std::string> n;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

TEST(wavetool_cli, usage_errors_exit_2_and_write_nothing) {
  const std::vector<std::vector<std::string>> rows = {
      {},
      {"fit"},
      {"import", "r.txt"},
      {"import", "-o", "w.csv"},
      {"import", "r.txt", "-o", "w.csv", "--format", "sac"},
      {"import", "r.txt", "-o", "w.csv", "--units", "kine"},
      {"import", "r.txt", "-o", "w.csv", "--dt", "0"},
      {"import", "r.txt", "-o", "w.csv", "--start", "5", "--end", "1"},
      {"check"},
      {"check", "w.csv", "w.csv"},
      {"check", "w.csv", "--csv"},
      {"suite", "plan.toml"},
      {"suite", "plan.toml", "--out", "o", "--list", "--only", "t/w"},
      {"suite", "plan.toml", "--out", "o", "--only", "t/w", "--report-only"},
      {"suite", "plan.toml", "--out", "o", "--jobs", "0"},
      {"export", "w.csv", "-o", "x.txt"},
      {"export", "w.csv", "--to", "sac", "-o", "x.txt"},
      {"export", "w.csv", "--to", "at2", "-o", "x.txt", "--what", "velocity"},
      {"export", "w.csv", "--to", "columns", "-o", "x.txt", "--what", "jerk"},
  };
  for (const auto& args : rows) {
    const scratch_dir dir;
    write_file(dir / "r.txt", wavetool_test::columns);
    const auto r = run_command(wavetool, args, dir.path());
    const std::string line = args.empty() ? "" : args[0] + " " + args.back();
    EXPECT_EQ(r.status, 2) << line;
    EXPECT_EQ(r.out, "") << line;
    EXPECT_TRUE(r.err.starts_with("wavetool: ")) << line << ": " << r.err;
    EXPECT_TRUE(r.err.ends_with("\nRun 'wavetool --help' for the usage.\n")) << line << r.err;
    EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"r.txt"}) << line;
  }
}

TEST(wavetool_cli, version_and_help) {
  const scratch_dir dir;
  const auto version = run_command(wavetool, {"--version"}, dir.path());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "wavetool 1.0\n");
  EXPECT_EQ(version.err, "");
  for (const auto& [command, option] :
       {std::pair{"import", "--component"}, std::pair{"check", "--json"},
        std::pair{"import", "written in gal (cm/s2)"},
        std::pair{"import", "\n  values   every number of every line"},
        std::pair{"import", "Exit status: 0 written; 1 bad input"}}) {
    const auto help = run_command(wavetool, {command, "--help"}, dir.path());
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_NE(help.out.find(option), std::string::npos) << command << help.out;
  }
}

TEST(wavetool_import, each_format_written_as_fitwave_reads_it) {
  struct row {
    std::string_view record;
    std::vector<std::string> options;
    std::string err;
    std::string wave;  // after the header line
  };
  const row rows[] = {
      {wavetool_test::knet,
       {},
       "wavetool: r.txt: read as K-NET/KiK-net ASCII\nwavetool: r.txt: direction N-S\n",
       "0,0\r\n0.01,1\r\n0.02,-1\r\n0.03,2\r\n0.04,-2\r\n0.05,0\r\n0.06,0\r\n0.07,0\r\n"
       "0.08,2.5\r\n0.09,-2.5\r\n"},
      {wavetool_test::jma,
       {"--component", "EW"},
       "wavetool: r.txt: read as JMA CSV\n",
       "0,-2.25\r\n0.02,4\r\n0.04,0\r\n"},
      {wavetool_test::columns,
       {"--units", "m/s2"},
       "wavetool: r.txt: read as columns\n",
       "0,100\r\n0.01,-250\r\n0.02,325\r\n"},
      // 0.1, 0.2, -0.3 g times 980.665, each rounded to single precision.
      {wavetool_test::at2_old,
       {"--format", "at2"},
       "",
       "0,98.0664978\r\n0.02,196.132996\r\n0.04,-294.199493\r\n"},
      {"1\n2\n3\n4\n",
       {"--dt", "0.005", "--start", "0.005", "--end", "0.01"},
       "wavetool: r.txt: read as columns\n",
       "0,2\r\n0.005,3\r\n"},
  };
  for (const row& r : rows) {
    const scratch_dir dir;
    write_file(dir / "r.txt", r.record);
    std::vector<std::string> args{"import", "r.txt", "-o", "w.csv"};
    args.insert(args.end(), r.options.begin(), r.options.end());
    const auto run = run_command(wavetool, args, dir.path());
    EXPECT_EQ(run.status, 0) << r.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, r.err);
    EXPECT_EQ(read_file(dir / "w.csv"), "time(s),acc(gal)\r\n" + r.wave) << r.err;

    // fitwave fits it without complaint: one iteration, default corners and exponent.
    const auto fit =
        run_command(fitwave, {}, dir.path(), "w.csv\r\n1\r\n0\r\n0\r\ns.csv\r\nf.csv\r\n");
    EXPECT_EQ(fit.status, 0) << r.err << fit.out;
    EXPECT_EQ(fit.err, "");
    EXPECT_NE(fit.out.find(" Enter output acceleration file name"), std::string::npos) << fit.out;
    EXPECT_FALSE(read_file(dir / "f.csv").empty()) << r.err;
  }
}

TEST(wavetool_import, longer_than_fitwave_fits_is_written_with_a_warning) {
  const scratch_dir dir;
  std::string record;
  for (int i = 0; i < 32769; ++i) record += i % 2 ? "1\n" : "-1\n";
  write_file(dir / "r.txt", record);
  const auto run =
      run_command(wavetool, {"import", "r.txt", "-o", "w.csv", "--dt", "0.01"}, dir.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "wavetool: r.txt: read as columns\n"
            "wavetool: warning: w.csv: 32769 samples; fitwave reads at most 32768 (cut a window "
            "with --start/--end), wavetool fit takes up to 131072\n");
  const std::string wave = read_file(dir / "w.csv");
  EXPECT_EQ(std::count(wave.begin(), wave.end(), '\n'), 32770);
  EXPECT_TRUE(wave.ends_with("\r\n327.68,-1\r\n"));
}

TEST(wavetool_import, bad_input_one_line_status_1_and_no_file) {
  struct row {
    const char* what;
    std::string_view record;  // written as r.txt
    std::vector<std::string> args;
    std::string err;
  };
  const std::string at2_short = "a\nb\nc\nNPTS= 5, DT= .01 SEC\n.1 .2\n.3\n";
  const row rows[] = {
      {"missing file",
       "",
       {"none.txt", "-o", "w.csv"},
       "wavetool: none.txt: cannot be read: No such file or directory\n"},
      {"wrong format",
       wavetool_test::knet,
       {"r.txt", "-o", "w.csv", "--format", "at2"},
       "wavetool: r.txt:4: expected \"NPTS= n, DT= step SEC\" or \"n step NPTS, DT\"\n"},
      {"too few values",
       at2_short,
       {"r.txt", "-o", "w.csv"},
       "wavetool: r.txt: read as PEER NGA (AT2)\n"
       "wavetool: r.txt:6: expected 5 values (NPTS), found only 3\n"},
      {"non-numeric value",
       "0 1\n0.01 abc\n",
       {"r.txt", "-o", "w.csv"},
       "wavetool: r.txt: read as columns\nwavetool: r.txt:2: expected a number, found \"abc\"\n"},
      {"unwritable output",
       wavetool_test::columns,
       {"r.txt", "-o", "no/w.csv"},
       "wavetool: r.txt: read as columns\n"
       "wavetool: no/w.csv: cannot be written: No such file or directory\n"},
      {"empty window",
       wavetool_test::columns,
       {"r.txt", "-o", "w.csv", "--start", "0.015"},
       "wavetool: r.txt: read as columns\n"
       "wavetool: r.txt: expected at least 2 samples between --start and --end, found 1\n"},
      {"a step no power of two from the record's",
       wavetool_test::columns,
       {"r.txt", "-o", "w.csv", "--resample", "0.015"},
       "wavetool: r.txt: read as columns\n"
       "wavetool: r.txt: --resample 0.015: expected the step 0.01 s times or divided by a power "
       "of two, at most 64\n"},
  };
  for (const bool existing : {false, true}) {
    for (const row& r : rows) {
      const scratch_dir dir;
      write_file(dir / "r.txt", r.record);
      if (existing) write_file(dir / "w.csv", "kept\r\n");
      std::vector<std::string> args{"import"};
      args.insert(args.end(), r.args.begin(), r.args.end());
      const auto run = run_command(wavetool, args, dir.path());
      EXPECT_EQ(run.status, 1) << r.what;
      EXPECT_EQ(run.out, "") << r.what;
      EXPECT_EQ(run.err, r.err) << r.what;
      // An existing output is left as it was, and nothing else is left behind.
      const std::vector<std::string> want =
          existing ? std::vector<std::string>{"r.txt", "w.csv"} : std::vector<std::string>{"r.txt"};
      EXPECT_EQ(files_in(dir.path()), want) << r.what;
      if (existing) {
        EXPECT_EQ(read_file(dir / "w.csv"), "kept\r\n") << r.what;
      }
    }
  }
}

// The real PEER record, imported, equals an independent conversion of it sample for sample as
// fitwave reads them, and fitwave fits it to the golden run's console and fitted wave.
TEST(wavetool_import, peer_record_through_fitwave_matches_the_golden_run) {
  const scratch_dir dir;
  std::filesystem::copy_file(std::string(GM_WAVETOOL_DATA) + "/RSN753_LOMAP_CLS000.AT2",
                             dir / "r.AT2");
  const auto run = run_command(wavetool, {"import", "r.AT2", "-o", "c.csv"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "wavetool: r.AT2: read as PEER NGA (AT2)\n");
  const auto fit = run_command(fitwave, {}, dir.path(),
                               "c.csv\r\n3\r\n1\r\n2 16 30 40\r\n0\r\ncs.csv\r\ncf.csv\r\n");
  EXPECT_EQ(fit.status, 0);
  EXPECT_EQ(fit.err, "");
  EXPECT_EQ(fit.out, read_file(golden + "/corralitos-fit3.console"));
  EXPECT_EQ(read_file(dir / "cf.csv"), read_file(golden + "/corralitos-fit3-fitted.csv"));

  // Value for value as floats, times included (the text may differ).
  const auto rows = [](const std::string& text) {
    std::vector<std::pair<float, float>> v;
    std::size_t at = text.find('\n') + 1;
    while (at < text.size()) {
      const std::size_t end = text.find('\n', at);
      double t = 0.0, a = 0.0;
      if (std::sscanf(text.c_str() + at, "%lf,%lf", &t, &a) == 2)
        v.emplace_back(static_cast<float>(t), static_cast<float>(a));
      at = end == std::string::npos ? text.size() : end + 1;
    }
    return v;
  };
  const auto ours = rows(read_file(dir / "c.csv"));
  EXPECT_EQ(ours.size(), 7995u);
  EXPECT_TRUE(ours == rows(read_file(golden + "/corralitos.csv")));
  ASSERT_GE(ours.size(), 2u);
  EXPECT_EQ(ours[1].first - ours[0].first, 0.005f);
}

TEST(wavetool_check, reports_any_wave_and_refuses_what_is_not_one) {
  const scratch_dir dir;
  std::filesystem::copy_file(golden + "/seed1-fit5-fitted.csv", dir / "f.csv");
  std::filesystem::copy_file(std::string(GM_WAVETOOL_DATA) + "/RSN753_LOMAP_CLS000.AT2",
                             dir / "r.AT2");
  const auto table = run_command(wavetool, {"check", "f.csv"}, dir.path());
  EXPECT_EQ(table.status, 0);
  EXPECT_EQ(table.err, "");
  EXPECT_TRUE(table.out.starts_with("samples                       8192\n")) << table.out;
  const auto json = run_command(wavetool, {"check", "f.csv", "--json"}, dir.path());
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.err, "");
  const auto j = nlohmann::json::parse(json.out);
  EXPECT_NEAR(j["end_velocity"].get<double>(), -35.0, 0.5);
  EXPECT_EQ(j["criteria"].size(), 4u);

  const auto missing = run_command(wavetool, {"check", "none.csv"}, dir.path());
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "wavetool: none.csv: cannot be read: No such file or directory\n");
  const auto record = run_command(wavetool, {"check", "r.AT2", "--json"}, dir.path());
  EXPECT_EQ(record.status, 1);
  EXPECT_EQ(record.out, "");
  EXPECT_EQ(record.err,
            "wavetool: r.AT2:2: expected a time and an acceleration, found \"Loma Prieta, "
            "10/18/1989, Corralitos, 0\"\n");
}

}  // namespace
