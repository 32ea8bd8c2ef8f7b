// The command line as a user types it: an empty value, a value of the wrong kind or beyond what
// can be written and read back, a missing or extra argument; each told in one line in
// wavetool's words, exit 2 (usage) or 1 (bad input), and nothing written. Then the exports as
// the programs that read them take them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "run_command.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;
using wavetool_test::files_in;
using wavetool_test::run_command;
const std::string& usage = wavetool_test::usage_hint;

const fs::path wavetool = GM_WAVETOOL_PATH;
const std::string golden = GM_GOLDEN_DIR;

// A scratch folder holding seed 1 of the golden runs as w.csv, a plan and a table.
struct folder {
  scratch_dir dir;
  folder() {
    fs::copy_file(golden + "/seed1.csv", dir / "w.csv");
    write_file(dir / "plan.toml", "[[target]]\nname = \"t\"\n[[wave]]\nname = \"w\"\nseed = 1\n");
    write_file(dir / "t.txt", "0.01 400\n20 100\n");
  }
};

struct usage_row {
  std::vector<std::string> args;
  std::string err;  // the whole of standard error
  int status = 2;
};

void expect_refused(const usage_row& r) {
  const folder f;
  const std::size_t before = files_in(f.dir.path());
  const testsupport::run_result run = run_command(wavetool, r.args, f.dir.path());
  std::string line;
  for (const std::string& a : r.args) line += "[" + a + "]";
  EXPECT_EQ(run.status, r.status) << line;
  EXPECT_EQ(run.err, r.err) << line;
  EXPECT_EQ(run.out, "") << line;
  EXPECT_EQ(files_in(f.dir.path()), before) << line << ": something was written";
}

TEST(wavetool_command_line, an_empty_value_is_a_usage_error_for_every_option) {
  const std::string empty = ": expected a value, found \"\" (an empty value)" + usage;
  const usage_row rows[] = {
      {{"export", "w.csv", "--to", "at2", "-o", "x", "--scale", ""},
       "wavetool: --scale: expected a finite factor, found \"\"" + usage},
      {{"export", "w.csv", "--to", "", "-o", "x"},
       "wavetool: --to: expected columns, opensees or at2, found \"\"" + usage},
      {{"export", "w.csv", "--to", "at2", "-o", ""}, "wavetool: --output" + empty},
      {{"export", "", "--to", "at2", "-o", "x"}, "wavetool: WAVE" + empty},
      {{"seed", "--seed", "", "-o", "s.csv"},
       "wavetool: --seed: expected a whole number from -2147483648 to 2147483647, found \"\"" +
           usage},
      {{"seed", "--seed", "1", "-o", "s.csv", "--dt", ""}, "wavetool: --dt" + empty},
      {{"seed", "--seed", "1", "-o", "s.csv", "--samples", ""}, "wavetool: --samples" + empty},
      {{"seed", "--seed", "1", "-o", "s.csv", "--duration", ""}, "wavetool: --duration" + empty},
      {{"seed", "--seed", "1", "-o", "s.csv", "--corners", ""}, "wavetool: --corners" + empty},
      {{"seed", "--seed", "1", "-o", "s.csv", "--zone", ""}, "wavetool: --zone" + empty},
      {{"suite", "plan.toml", "--out", ""}, "wavetool: --out" + empty},
      {{"suite", "plan.toml", "--out", "o", "--only", ""}, "wavetool: --only" + empty},
      {{"suite", "plan.toml", "--out", "o", "--jobs", ""},
       "wavetool: --jobs: expected a whole number from 1 to 4096, found \"\"" + usage},
      {{"fit", "w.csv", "-o", "f.csv", "--corners", ""},
       "wavetool: --corners: expected TB,TC,TD,TE with 0 <= TB <= TC <= TD <= TE, TE > 0, "
       "found \"\"" +
           usage},
      {{"fit", "w.csv", "-o", "f.csv", "--spectra", ""}, "wavetool: --spectra" + empty},
      {{"fit", "w.csv", "-o", "f.csv", "--max-pgd", ""},
       "wavetool: --max-pgd: expected a displacement above 0 (cm), found \"\"" + usage},
      {{"fit", "w.csv", "-o", "f.csv", "--max-iterations", ""},
       "wavetool: --max-iterations: expected a whole number from 1 to 1000, found \"\"" + usage},
      {{"target", "--periods", ""}, "wavetool: --periods" + empty},
      {{"target", "--spectrum", ""}, "wavetool: --spectrum" + empty},
      {{"check", "w.csv", "--window", ""}, "wavetool: --window" + empty},
      {{"import", "w.csv", "-o", "x.csv", "--dt", ""},
       "wavetool: --dt: expected a step of more than 0 s, found \"\"" + usage},
      {{"import", "w.csv", "-o", "x.csv", "--units", ""},
       "wavetool: --units: expected g, gal or m/s2, found \"\"" + usage},
      {{"import", "w.csv", "-o", "x.csv", "--start", "", "--end", "1"},
       "wavetool: --start: expected a time of 0 s or more, found \"\"" + usage},
  };
  for (const usage_row& r : rows) expect_refused(r);
}

TEST(wavetool_command_line, the_libraries_text_never_reaches_the_user) {
  const usage_row rows[] = {
      {{"export", "w.csv", "--to", "at2", "-o", "x", "--scale", "abc"},
       "wavetool: --scale: expected a finite factor, found \"abc\"" + usage},
      {{"fit", "w.csv", "-o", "f.csv", "--max-iterations", "1e3"},
       "wavetool: --max-iterations: expected a whole number from 1 to 1000, found \"1e3\"" + usage},
      {{},
       "wavetool: expected a subcommand: import, check, fit, target, seed, suite, export, site or "
       "scale" +
           usage},
      {{"frob"},
       "wavetool: expected a subcommand: import, check, fit, target, seed, suite, export, site or "
       "scale, "
       "found \"frob\"" +
           usage},
      {{"check"},
       "wavetool: check: WAVE is required: fitwave input layout or fitwave's fitted wave" + usage},
      {{"check", "w.csv", "--csv"},
       "wavetool: check: \"--csv\" is not an option or argument of check" + usage},
      {{"check", "w.csv", "--json=maybe"},
       "wavetool: --json: a switch takes no value, found \"maybe\"" + usage},
      {{"export", "w.csv", "--to", "at2", "-o", "x", "--scale"},
       "wavetool: --scale: expected a value: factor on every value (default 1)" + usage},
      {{"seed", "--seed", "1", "--samples", "5000", "--duration", "50", "-o", "s.csv"},
       "wavetool: --samples and --duration: give one of them, not both" + usage},
      {{"seed", "--seed", "2147483648", "-o", "s.csv"},
       "wavetool: --seed: expected a whole number from -2147483648 to 2147483647, found "
       "\"2147483648\"" +
           usage},
      {{"seed", "--seed", "010", "-o", "s.csv"},
       "wavetool: --seed: expected a whole number from -2147483648 to 2147483647, found \"010\"" +
           usage},
      {{"check", "w.csv", "--zone", "1.5-1"},
       "wavetool: --zone: expected a number, found \"1.5-1\"" + usage},
      // Every option reads numbers by one rule, blanks around them no part of them (import took
      // them while seed refused them), and a column limit a plan's `column` shares.
      {{"import", "w.csv", "-o", "x.csv", "--dt", " 0.01"},
       "wavetool: --dt: expected a step of more than 0 s, found \" 0.01\"" + usage},
      {{"import", "w.csv", "-o", "x.csv", "--column", "1001"},
       "wavetool: --column: expected a column number from 1 to 1000, found \"1001\"" + usage},
  };
  for (const usage_row& r : rows) expect_refused(r);
}

// The envelope's corners follow one rule wherever they are given (a plan's rows are with the
// plan's): the same order, told in the same words, and the same numbers, each read by the text
// layer's scanner, so 1.5D0 is 1.5 to fit and seed alike.
TEST(wavetool_command_line, corners_follow_one_rule_in_fit_and_seed) {
  const std::string rule = "0 <= TB <= TC <= TD <= TE, TE > 0";
  for (const std::string text :
       {"1,2,3", "4,3,60,80", "4,35,60,inf", "4,35,60,1e999", "4,35,60,"}) {
    expect_refused({{"fit", "w.csv", "-o", "f.csv", "--corners", text},
                    "wavetool: --corners: expected TB,TC,TD,TE with " + rule + ", found \"" + text +
                        "\"" + usage});
    expect_refused({{"seed", "--seed", "1", "-o", "s.csv", "--corners", text},
                    "wavetool: --corners: expected " + rule + usage});
  }
  const folder f;
  for (const char* corners : {"1.5,35,60,80", "1.5D0,35,60,80"}) {
    const std::string name = corners[3] == 'D' ? "d" : "plain";
    const testsupport::run_result seed = run_command(
        wavetool, {"seed", "--seed", "3", "-o", name + "-seed.csv", "--corners", corners},
        f.dir.path());
    EXPECT_EQ(seed.status, 0) << corners << ": " << seed.err;
    const testsupport::run_result fit = run_command(
        wavetool,
        {"fit", "w.csv", "-o", name + "-fit.csv", "--corners", corners, "--max-iterations", "1"},
        f.dir.path());
    EXPECT_EQ(fit.status, 3) << corners << ": " << fit.err;
  }
  EXPECT_EQ(read_file(f.dir / "d-seed.csv"), read_file(f.dir / "plain-seed.csv"));
  EXPECT_EQ(read_file(f.dir / "d-fit.csv"), read_file(f.dir / "plain-fit.csv"));
}

TEST(wavetool_command_line, values_that_cannot_be_written_or_read_back_are_refused) {
  const usage_row rows[] = {
      // seed 1's peak is 50.59 gal (its golden check): times 1e300, 5.059e301 gal.
      {{"export", "w.csv", "--to", "at2", "-o", "x.AT2", "--scale", "1e300"},
       "wavetool: w.csv: --scale 1e300 gives values up to 5.05900002e+301 gal, beyond single "
       "precision (3.4e38), which import, check and fitwave read\n",
       1},
      {{"export", "w.csv", "--to", "columns", "-o", "x.txt", "--scale", "1e39"},
       "wavetool: w.csv: --scale 1e39 gives values up to 5.05900002e+40 gal, beyond single "
       "precision (3.4e38), which import, check and fitwave read\n",
       1},
      {{"seed", "--seed", "1", "-o", "s.csv", "--dt", "1e-10", "--samples", "5000", "--corners",
        "0,0,0,1"},
       "wavetool: --dt: expected a step the file's time column holds with at most 9 decimals, "
       "found \"1e-10\"" +
           usage},
      {{"seed", "--seed", "1", "-o", "s.csv", "--dt", "0.0033333333333", "--samples", "20000"},
       "wavetool: --dt: expected a step the file's time column holds with at most 9 decimals, "
       "found \"0.0033333333333\"" +
           usage},
      // The bedrock level is 512/T gal beyond 0.64 s (Z = 1): times 1e-40 it falls below single
      // precision's normal range (1.17549e-38) beyond 4.356 s; the first of 65 periods spread
      // in log from 0.02 to 10 s beyond it is 0.02 * 500^(56/64) = 4.59863 s, Sa 1.11337e-38.
      // ASCE 7 below T0 = 0.2 SD1/SDS = 0.2 s: SDS (0.4 + 0.6 T/T0) = 0.46e-300 g at 0.02 s.
      {{"check", "w.csv", "--zone", "1e-40"},
       "wavetool: --zone: gives Sa 1.11337435e-38 gal at 4.59863298 s, outside single precision "
       "(1.2e-38 to 3.4e38 gal), in which the criteria are computed" +
           usage},
      {{"check", "w.csv", "--spectrum", "asce7", "--sds", "1e-300", "--sd1", "1e-300", "--tl", "8"},
       "wavetool: --sds: gives Sa 4.511059e-298 gal at 0.02 s, outside single precision (1.2e-38 "
       "to 3.4e38 gal), in which the criteria are computed" +
           usage},
  };
  for (const usage_row& r : rows) expect_refused(r);
}

// The second number of every line after the header of a wave file, as single precision.
std::vector<float> wave_values(const std::string& text) {
  std::vector<float> v;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    const std::size_t comma = line.find(',');
    if (comma != std::string::npos) v.push_back(std::strtof(line.c_str() + comma + 1, nullptr));
  }
  return v;
}

TEST(wavetool_export, each_layout_as_its_reading_program_takes_it) {
  const folder f;
  const std::vector<float> wave = wave_values(read_file(f.dir / "w.csv"));
  ASSERT_EQ(wave.size(), 8192u);
  // OpenSees' Path series reads numbers until the first text that is not one.
  const testsupport::run_result os =
      run_command(wavetool, {"export", "w.csv", "--to", "opensees", "-o", "o.txt"}, f.dir.path());
  ASSERT_EQ(os.status, 0);
  EXPECT_EQ(os.out, "");
  EXPECT_EQ(os.err, "wavetool: o.txt: dt 0.01 s, acceleration(gal), one value a line\n");
  std::ifstream path_file(f.dir / "o.txt");
  std::vector<double> read;
  for (double value = 0.0; path_file >> value;) read.push_back(value);
  EXPECT_TRUE(path_file.eof()) << "the reader stopped before the end of the file";
  ASSERT_EQ(read.size(), wave.size());
  for (std::size_t i = 0; i < wave.size(); ++i) ASSERT_EQ(read[i], double{wave[i]}) << i;
  // PEER's fourth line, read the same way from one of PEER's own files and from the export.
  ASSERT_EQ(
      run_command(wavetool, {"export", "w.csv", "--to", "at2", "-o", "x.AT2"}, f.dir.path()).status,
      0);
  struct header {
    std::string file;
    int npts;
    double dt;
  };
  for (const header& h : {header{GM_WAVETOOL_DATA "/RSN753_LOMAP_CLS000.AT2", 7995, 0.005},
                          header{(f.dir / "x.AT2").string(), 8192, 0.01}}) {
    std::ifstream in(h.file);
    std::string line;
    for (int k = 0; k < 4; ++k) std::getline(in, line);
    int npts = 0;
    double dt = 0.0;
    ASSERT_EQ(std::sscanf(line.c_str(), "NPTS=%d, DT=%lf SEC", &npts, &dt), 2) << h.file;
    EXPECT_EQ(npts, h.npts) << h.file;
    EXPECT_EQ(dt, h.dt) << h.file;
  }
  // Columns, read by a reader that skips '#' lines: two numbers on every other line.
  ASSERT_EQ(
      run_command(wavetool, {"export", "w.csv", "--to", "columns", "-o", "c.txt"}, f.dir.path())
          .status,
      0);
  std::istringstream columns(read_file(f.dir / "c.txt"));
  std::size_t rows = 0;
  for (std::string line; std::getline(columns, line);) {
    if (line.starts_with('#')) continue;
    double t = 0.0, a = 0.0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf", &t, &a), 2) << line;
    ASSERT_NEAR(t, 0.01 * static_cast<double>(rows), 1e-9) << line;
    ASSERT_EQ(a, double{wave[rows]}) << line;
    ++rows;
  }
  EXPECT_EQ(rows, wave.size());
}

TEST(wavetool_export, a_newline_in_the_name_stays_in_the_description_line) {
  const folder f;
  fs::copy_file(f.dir / "w.csv", f.dir / "a\nb.csv");
  ASSERT_EQ(
      run_command(wavetool, {"export", "a\nb.csv", "--to", "at2", "-o", "x.AT2"}, f.dir.path())
          .status,
      0);
  std::istringstream in(read_file(f.dir / "x.AT2"));
  std::vector<std::string> lines;
  for (std::string line; lines.size() < 4 && std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], "a\\x0ab.csv");
  EXPECT_EQ(lines[3], "NPTS=    8192, DT= 0.01 SEC");
}

TEST(wavetool_check, the_peaks_time_is_shown_as_the_times_of_the_wave_are) {
  const folder f;
  // The time field of the line of seed 1's largest absolute acceleration, as the file gives it.
  std::istringstream in(read_file(f.dir / "w.csv"));
  std::string line, at;
  float peak = -1.0f;
  std::getline(in, line);
  while (std::getline(in, line)) {
    const float a = std::abs(std::strtof(line.c_str() + line.find(',') + 1, nullptr));
    if (a > peak) {
      peak = a;
      at = line.substr(line.find_first_not_of(' '), line.find(',') - line.find_first_not_of(' '));
    }
  }
  const testsupport::run_result r =
      run_command(wavetool, {"check", "w.csv", "--json"}, f.dir.path());
  EXPECT_NE(r.out.find("\"pga_time\": " + at + ",\n"), std::string::npos) << at << "\n" << r.out;
}

TEST(wavetool_spectrum_table, run_together_numbers_are_refused_as_in_records) {
  const folder f;
  write_file(f.dir / "run.txt", "0.01 400\n0.1 1500-3\n20 100\n");
  const testsupport::run_result r =
      run_command(wavetool, {"target", "--spectrum", "table", "--table", "run.txt"}, f.dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "wavetool: run.txt:2: expected two numbers, period (s) and Sa (gal), found \"0.1 "
            "1500-3\"\n");
  EXPECT_EQ(r.out, "");
}

}  // namespace
