// What `wavetool check` and `wavetool fit` do with input that is wrong, meaningless or unusual,
// and how their outputs are written, as one table: the files given, the command (and its
// standard input), the exit status, the first line of standard error, a piece of standard output,
// and which files exist afterwards with what in them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "run_command.h"
#include "run_program.h"

namespace {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;

// A wave of n samples at 0.01 s in the input layout: a 0.5 s sine of 100 gal under a rise and
// fall, so that its spectrum is nowhere zero.
std::string small_wave(int n) {
  std::string text = "time(s),acc(gal)\r\n";
  for (int i = 0; i < n; ++i) {
    const double t = 0.01 * i;
    const double a = 100.0 * std::sin(2.0 * M_PI * t / 0.5) * std::sin(M_PI * i / n) +
                     30.0 * std::sin(2.0 * M_PI * t / 2.3);
    char line[64];
    std::snprintf(line, sizeof line, "%.2f,%.6f\r\n", t, a);
    text += line;
  }
  return text;
}

// 12000 samples at 0.1 s: the last time, 1199.9 s, does not fit F8.4.
std::string long_wave() {
  std::string text = "time(s),acc(gal)\r\n";
  for (int i = 0; i < 12000; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%.1f,%.6f\r\n", 0.1 * i,
                  50.0 * std::sin(0.7 * i) + 20.0 * std::sin(0.05 * i));
    text += line;
  }
  return text;
}

// n samples at 0.01 s: one second of a 0.25 s sine of 100 gal, then rest, so that every
// oscillator but the longest settles early and a spectrum of 2^17 samples stays cheap.
std::string quiet_wave(int n) {
  std::string text = "time,acc\r\n";
  for (int i = 0; i < n; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%.2f,%.4f\r\n", 0.01 * i,
                  i < 100 ? 100.0 * std::sin(2.0 * M_PI * i / 25.0) : 0.0);
    text += line;
  }
  return text;
}

struct file {
  const char* name;
  std::string content;
};
struct after {
  const char* name;
  const char* holds;  // nullptr: the file must not exist; else a piece of its content
};
struct row {
  const char* what;
  std::vector<file> given;
  const char* args;
  std::string input;  // standard input
  int status;
  const char* err_line;  // the first line of standard error; a trailing "..." matches a start
  const char* out_part;  // a piece of standard output; "" means it must be empty
  std::vector<after> files;
  const char* then = nullptr;  // a second command that must then succeed ...
  const char* then_out = "";   // ... with this piece of its standard output
};

std::vector<std::string> words(const std::string& args) {
  std::vector<std::string> w;
  std::istringstream in(args);
  for (std::string s; in >> s;) w.push_back(s);
  return w;
}

std::string first_line(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

const std::string kept = "kept\r\n";
const std::string two_samples = "h\r\n0 1\r\n0.1 2\r\n";
const char* const no_period = "-";

TEST(wavetool_bad_input, check_and_fit_refuse_say_and_write_all_or_nothing) {
  const std::string small = small_wave(1000);
  const row rows[] = {
      {"a value beyond single precision, in check",
       {{"big.csv", "time,acc\r\n0 1\r\n0.01 1e39\r\n0.02 1\r\n"}},
       "check big.csv",
       "",
       1,
       "wavetool: big.csv:3: expected a time and an acceleration within single precision, "
       "found \"0.01 1e39\"",
       "",
       {}},
      {"a value beyond single precision, in fit",
       {{"big.csv", "time,acc\r\n0 1\r\n0.01 1\r\n1e39 1\r\n"}},
       "fit big.csv -o f.csv",
       "",
       1,
       "wavetool: big.csv:4: expected a time and an acceleration within single precision, "
       "found \"1e39 1\"",
       "",
       {{"f.csv", nullptr}}},
      {"two samples: criterion 2 has no period in 1..5 s",
       {{"two.csv", two_samples}},
       "check two.csv --json",
       "",
       0,
       "",
       "\"cr2\": null",
       {}},
      {"two samples: the table says so",
       {{"two.csv", two_samples}},
       "check two.csv",
       "",
       0,
       "",
       "criterion 2                      - (no grid period in its window)\n",
       {}},
      {"two samples: fit refuses the wave",
       {{"two.csv", two_samples}},
       "fit two.csv -o f.csv",
       "",
       1,
       "wavetool: two.csv: criterion 2 cannot be judged: no period of 2 samples at 0.1 s lies "
       "in its window 1..5 s",
       "",
       {{"f.csv", nullptr}}},
      {"a step of 1000 s: no period in 0.02..10 s",
       {{"slow.csv", "h\r\n0 1\r\n1000 2\r\n2000 1\r\n"}},
       "check slow.csv",
       "",
       0,
       "",
       "criterion 1                      - (no grid period in its window)\n",
       {}},
      {"a step of 1e-30 s: fit refuses",
       {{"fast.csv", "h\r\n0 1\r\n1e-30 2\r\n"}},
       "fit fast.csv -o f.csv",
       "",
       1,
       "wavetool: fast.csv: criterion 1 cannot be judged: no period of 2 samples at 1e-30 s "
       "lies in its window 0.02..10 s",
       "",
       {{"f.csv", nullptr}}},
      {"TB = 0: the envelope is 1 at t = 0",
       {{"w.csv", small}},
       "fit w.csv -o f.csv --corners 0,0,0,0.01 --max-iterations 1",
       "",
       3,
       "wavetool: note: --corners with TB = 0: the envelope is 1 at t = 0, so the fitted wave "
       "does not start from zero",
       "not passed after 1 iteration",
       {{"f.csv", "  0.0000,"}}},
      {"corners far beyond the record",
       {{"w.csv", small}},
       "fit w.csv -o f.csv --corners 100,200,300,400 --max-iterations 1",
       "",
       3,
       "wavetool: note: --corners end after the wave: the envelope is 0.00998001 at its last "
       "sample (9.99 s), before its decay, so the fitted wave does not end at zero",
       "iteration  1 ",
       {{"f.csv", "  9.9900,"}}},
      {"equal neighbouring corners are accepted",
       {{"w.csv", small}},
       "fit w.csv -o f.csv --corners 1,1,6,9 --max-iterations 1",
       "",
       3,
       "",
       "iteration  1 ",
       {{"f.csv", " time(sec),Acc(gal),eamp,eamp*ampfac\r\n"}}},
      {"a second output that cannot be written: the first is untouched, nothing computed",
       {{"w.csv", small}, {"keep.csv", kept}},
       "fit w.csv -o keep.csv --spectra nodir/s.csv",
       "",
       1,
       "wavetool: nodir/s.csv: cannot be written: No such file or directory",
       "",
       {{"keep.csv", "kept\r\n"}}},
      {"an output folder that does not exist: refused before the iterations",
       {{"w.csv", small}},
       "fit w.csv -o nodir/x.csv",
       "",
       1,
       "wavetool: nodir/x.csv: cannot be written: No such file or directory",
       "",
       {}},
      {"one output named twice",
       {{"w.csv", small}},
       "fit w.csv -o f.csv --spectra ./f.csv",
       "",
       1,
       "wavetool: ./f.csv: is named twice among the outputs",
       "",
       {{"f.csv", nullptr}}},
      {"- is standard input", {}, "check - --json", small, 0, "", "\"samples\": 1000", {}},
      {"standard input in messages",
       {},
       "check -",
       "h\r\n0 1\r\n0.01 x\r\n",
       1,
       "wavetool: standard input:3: expected a time and an acceleration, found \"0.01 x\"",
       "",
       {}},
      {"-o - is standard output; the progress goes to standard error",
       {{"w.csv", small}},
       "fit w.csv -o - --corners 1,3,6,9 --max-iterations 1",
       "",
       3,
       "iteration  1 ...",
       " time(sec),Acc(gal),eamp,eamp*ampfac\r\n  0.0000,",
       {{"-", nullptr}}},
      {"check's help: the unit, the target and the limits",
       {},
       "check --help",
       "",
       0,
       "",
       "gal (cm/s2)",
       {}},
      {"check's help: a criterion 2 row",
       {},
       "check --help",
       "",
       0,
       "",
       "criterion 2  sum of computed over sum of target   >= 1.0  over 1..5 s\n",
       {}},
      {"fit's help: exit status 3",
       {},
       "fit --help",
       "",
       0,
       "",
       "Exit status: 0 passed, 1 bad input, 2 usage, 3 not passed",
       {}},
      {"fit's help: the target and a limit",
       {},
       "fit --help",
       "",
       0,
       "",
       "design spectrum of the engineering bedrock",
       {}},
      {"fit's help: criterion 3's limit",
       {},
       "fit --help",
       "",
       0,
       "",
       "criterion 3  rms deviation of the ratio from 1    <= 0.05 over 0.02..10 s\n",
       {}},
      {"standard input named in fit's refusal",
       {},
       "fit - -o f.csv",
       two_samples,
       1,
       "wavetool: standard input: criterion 2 cannot be judged: no period of 2 samples at 0.1 s "
       "lies in its window 1..5 s",
       "",
       {{"f.csv", nullptr}}},
      {"a directory as input",
       {},
       "check .",
       "",
       1,
       "wavetool: .: cannot be read: Is a directory",
       "",
       {}},
      {"a byte-order mark before the header",
       {{"bom.csv", "\xEF\xBB\xBF" + two_samples}},
       "check bom.csv --json",
       "",
       0,
       "",
       "\"samples\": 2",
       {}},
      {"2^17 samples, wavetool's longest transform: check judges the criteria",
       {{"quiet.csv", quiet_wave(131072)}},
       "check quiet.csv --json",
       "",
       0,
       "",
       "\"cr1\": ",
       {},
       "check quiet.csv --json",
       "\"samples\": 131072"},
      {"one sample more: check measures the wave but has no criteria",
       {{"over.csv", quiet_wave(131073)}},
       "check over.csv",
       "",
       0,
       "",
       "criteria                         - (more samples than wavetool fits)\n",
       {},
       "check over.csv --json",
       "\"samples\": 131073"},
      {"a fitted wave beyond 999.9999 s is written with a wider time and read back",
       {{"long.csv", long_wave()}},
       "fit long.csv -o f.csv --max-iterations 1 --keep-step",
       "",
       3,
       "",
       "not passed after 1 iteration",
       {{"f.csv", "\r\n1199.9000,"}},
       "check f.csv --json",
       "\"samples\": 12000"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    const scratch_dir dir;
    fs::create_directory(dir / "d");
    for (const file& f : r.given) write_file(dir / f.name, f.content);
    const testsupport::run_result run =
        wavetool_test::run_command(GM_WAVETOOL_PATH, words(r.args), dir.path(), r.input);
    EXPECT_EQ(run.status, r.status) << run.err;
    const std::string line = first_line(run.err);
    const std::string expected = r.err_line;
    if (expected.ends_with("...")) {
      EXPECT_TRUE(line.starts_with(expected.substr(0, expected.size() - 3))) << line;
    } else {
      EXPECT_EQ(line, expected);
    }
    if (std::string(r.out_part).empty()) {
      EXPECT_EQ(run.out, "");
    } else {
      EXPECT_NE(run.out.find(r.out_part), std::string::npos) << run.out.substr(0, 400);
    }
    for (const after& a : r.files) {
      if (a.holds == nullptr) {
        EXPECT_FALSE(fs::exists(dir / a.name)) << a.name;
      } else {
        EXPECT_NE(read_file(dir / a.name).find(a.holds), std::string::npos) << a.name;
      }
    }
    // No temporary is left behind: only the files given, those expected, and the folder.
    std::size_t expected_files = r.given.size() + 1;
    for (const after& a : r.files) {
      bool given = false;
      for (const file& f : r.given) given = given || a.name == std::string(f.name);
      if (a.holds != nullptr && !given) ++expected_files;
    }
    EXPECT_EQ(static_cast<std::size_t>(
                  std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator())),
              expected_files);
    if (r.then != nullptr) {
      const testsupport::run_result next =
          wavetool_test::run_command(GM_WAVETOOL_PATH, words(r.then), dir.path());
      EXPECT_EQ(next.status, 0) << next.err;
      EXPECT_NE(next.out.find(r.then_out), std::string::npos) << next.out;
    }
  }
}

}  // namespace
