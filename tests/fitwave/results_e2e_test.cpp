// fitwave end to end: whole runs and the two result files.
#include <gtest/gtest.h>

#include <csignal>

#include "e2e_support.h"

namespace {

using namespace fitwave_e2e;
using testsupport::crlf;
using testsupport::read_file;
using testsupport::run_program;
using testsupport::scratch_dir;
using testsupport::write_file;

constexpr int nt = 256;  // at 0.01 s: periods from 2.56 s down to 0.02 s

struct run {
  testsupport::run_result result;
  std::string table, fitted;
};

run fit(int nit, std::string_view table = "table.csv", std::string_view fitted = "fitted.csv") {
  scratch_dir dir;
  write_file(dir / "wave.csv", wave_csv(nt, 0.01));
  const std::string n = std::to_string(nit);
  run r;
  r.result = run_program(program, dir.path(), answers({"wave.csv", n, "0", "0", table, fitted}));
  r.table = read_file(dir / std::string(table));
  r.fitted = read_file(dir / std::string(fitted));
  return r;
}

// Every row of the table: layout, first and last period and target, periods 0.01 s apart.
void check_table(const std::string& text, int nit, const std::string& header) {
  const auto rows = records(text);
  ASSERT_GT(rows.size(), 10u);
  EXPECT_EQ(rows[0], header);
  const int values = std::max(nit + 1, 0);
  const std::regex row = row_regex(values);
  double previous = 0.0;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].size(), static_cast<std::size_t>(8 + 13 * values + 1)) << rows[i];
    EXPECT_TRUE(std::regex_match(rows[i], row)) << rows[i];
    const double period = std::stod(rows[i].substr(0, 8));
    if (i > 1) {
      EXPECT_GE(period - previous, 0.0099) << rows[i];
    }
    previous = period;
  }
  // Shortest period 2*dt with its target 3000*0.02 + 320; longest the duration, 512/2.56.
  EXPECT_EQ(rows[1].substr(0, 8), "  0.0200");
  EXPECT_EQ(rows.back().substr(0, 8), "  2.5600");
  if (nit >= 0) {
    EXPECT_EQ(rows[1].substr(8, 13), ",  0.3800E+03");
    EXPECT_EQ(rows.back().substr(8, 13), ",  0.2000E+03");
  }
}

// Every row of the fitted wave: time recomputed from dt, four fields, 48 characters.
void check_fitted(const std::string& text) {
  const auto rows = records(text);
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(nt + 1));
  EXPECT_EQ(rows[0], " time(sec),Acc(gal),eamp,eamp*ampfac");
  const std::regex row = row_regex(3);
  for (int i = 1; i <= nt; ++i) {
    const std::string& r = rows[static_cast<std::size_t>(i)];
    EXPECT_EQ(r.size(), 48u) << r;
    EXPECT_TRUE(std::regex_match(r, row)) << r;
    EXPECT_EQ(r.substr(0, 8), f8_4(static_cast<float>(i - 1) * 0.01f)) << r;
  }
  // The envelope rises as (t/4)^2: 0 at the start, (2.55/4)^2 = 0.4064 at the last sample.
  EXPECT_EQ(rows[1].substr(21), ",  0.0000E+00,  0.0000E+00,");
  EXPECT_EQ(rows[nt].substr(21, 13), ",  0.4064E+00");
}

TEST(FitwaveRun, OneIteration) {
  const run r = fit(1);
  std::vector<std::string> want = dialogue(1, "  1.", false, false);
  append(want, sizes(nt, 0.01f, 8, 256));
  append(want, iterations(1));
  append(want, file_prompts());
  expect_lines(r.result.out, want, "stdout");
  EXPECT_EQ(r.result.err, "");
  EXPECT_EQ(r.result.status, 0);
  check_table(r.table, 1, "period(sec),kokuji1461,Iteration No.  1,Iteration No.");
  check_fitted(r.fitted);
}

TEST(FitwaveRun, TwoIterationsRepeatTheFirstAndAddAColumn) {
  const run one = fit(1);
  const run two = fit(2);
  std::vector<std::string> want = dialogue(1, "  0.5", false, false);
  append(want, sizes(nt, 0.01f, 8, 256));
  append(want, iterations(2));
  append(want, file_prompts());
  expect_lines(two.result.out, want, "stdout");
  EXPECT_EQ(two.result.status, 0);
  check_table(two.table, 2,
              "period(sec),kokuji1461,Iteration No.  1,Iteration No.  2,Iteration No.");
  check_fitted(two.fitted);

  // Iteration 1 does not depend on how many follow, except through the default exponent 1/nit:
  // the same exponent gives the same first column.
  scratch_dir dir;
  write_file(dir / "wave.csv", wave_csv(nt, 0.01));
  const auto r =
      run_program(program, dir.path(), answers({"wave.csv", "2", "0", "1", "1", "t.csv", "f.csv"}));
  const auto rows1 = records(one.table);
  const auto rows2 = records(read_file(dir / "t.csv"));
  ASSERT_EQ(rows1.size(), rows2.size());
  for (std::size_t i = 1; i < rows1.size(); ++i) {
    EXPECT_EQ(rows2[i].substr(0, rows1[i].size() - 1), rows1[i].substr(0, rows1[i].size() - 1));
  }
  // The iteration reports of both runs agree on iteration 1.
  const auto block = [](const std::string& out) {
    std::size_t at = out.find("  Iteration Number = 1");
    std::size_t end = at;
    for (int line = 0; line < 5 && end != std::string::npos; ++line) end = out.find('\n', end) + 1;
    return out.substr(at, end - at);
  };
  EXPECT_EQ(block(r.out), block(one.result.out));
}

TEST(FitwaveRun, NoIterationKeepsTheInputWave) {
  struct row {
    int nit;
    const char* header;
  };
  const row rows[] = {{0, "period(sec),kokuji1461,Iteration No."},
                      {-3, "period(sec),kokuji1461,Iteration No."}};
  for (const row& c : rows) {
    scratch_dir dir;
    // A constant 123.4 gal, times written in exponent form.
    std::string wave = "time,acc\r\n";
    for (int i = 0; i < nt; ++i) wave += std::to_string(i) + "e-2, 123.4\r\n";
    write_file(dir / "wave.csv", wave);
    const auto r = run_program(
        program, dir.path(),
        answers({"wave.csv", std::to_string(c.nit), "0", "0", "table.csv", "fitted.csv"}));
    std::vector<std::string> want = dialogue(1, "", false, false);
    want[8] = re("   Initial Value \\(ampfac=1/Nit\\) =" + any_real);
    append(want, sizes(nt, 0.01f, 8, 256));
    append(want, file_prompts());
    expect_lines(r.out, want, "stdout");
    EXPECT_EQ(r.status, 0);
    check_table(read_file(dir / "table.csv"), c.nit, c.header);
    const auto fitted = records(read_file(dir / "fitted.csv"));
    ASSERT_EQ(fitted.size(), static_cast<std::size_t>(nt + 1));
    for (std::size_t i = 1; i < fitted.size(); ++i) {
      EXPECT_EQ(fitted[i].substr(8, 13), ",  0.1234E+03") << fitted[i];
    }
  }
}

TEST(FitwaveFiles, SameNameForBothLeavesOnlyTheWave) {
  const run apart = fit(1);
  const run same = fit(1, "out.csv", "out.csv");
  EXPECT_EQ(same.result.status, 0);
  EXPECT_EQ(same.fitted, apart.fitted);
}

TEST(FitwaveFiles, ShorterTableIsCutOverALongerFile) {
  const run fresh = fit(1);
  scratch_dir dir;
  write_file(dir / "wave.csv", wave_csv(nt, 0.01));
  write_file(dir / "table.csv", std::string(100000, 'x'));
  write_file(dir / "fitted.csv", std::string(100000, 'y') + "\r\n");
  const auto r = run_program(program, dir.path(),
                             answers({"wave.csv", "1", "0", "0", "table.csv", "fitted.csv"}));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(dir / "table.csv"), fresh.table);
  EXPECT_EQ(read_file(dir / "fitted.csv"), fresh.fitted);
}

TEST(FitwaveFiles, NamesAsTheirReadsTakeThem) {
  scratch_dir dir;
  write_file(dir / "wave.csv", wave_csv(nt, 0.01));
  // The table name is free-form (up to the blank); the wave name is the first 20 characters of
  // its line, blanks and commas included.
  const auto r =
      run_program(program, dir.path(),
                  answers({"wave.csv", "1", "0", "0", "tab.csv extra", "fit, ted.csv 1234567890"}));
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(read_file(dir / "tab.csv").empty());
  EXPECT_FALSE(read_file(dir / "fit, ted.csv 1234567").empty());
}

TEST(FitwaveFiles, NullTableNameLeavesTheInputWaveAlone) {
  scratch_dir dir;
  const std::string wave = wave_csv(nt, 0.01);
  write_file(dir / "wave.csv", wave);
  for (const char* null_answer : {",", "/"}) {
    const auto r = run_program(program, dir.path(),
                               answers({"wave.csv", "1", "0", "0", null_answer, "fitted.csv"}));
    EXPECT_EQ(r.err,
              crlf({"open: null file name", "apparent state: unit 11 named ",
                    "last format: list io", "lately reading sequential formatted external IO"}));
    EXPECT_EQ(r.signal, SIGABRT);
    EXPECT_EQ(read_file(dir / "wave.csv"), wave);
    EXPECT_FALSE(std::filesystem::exists(dir / "fitted.csv"));
  }
}

TEST(FitwaveFiles, BlankWaveNameKeepsTheFinishedTable) {
  const run fresh = fit(1);
  scratch_dir dir;
  write_file(dir / "wave.csv", wave_csv(nt, 0.01));
  const auto r =
      run_program(program, dir.path(), answers({"wave.csv", "1", "0", "0", "table.csv", ""}));
  EXPECT_EQ(r.err, crlf({"open: null file name", "apparent state: unit 12 named ",
                         "lately reading sequential formatted external IO"}));
  EXPECT_EQ(r.signal, SIGABRT);
  EXPECT_EQ(read_file(dir / "table.csv"), fresh.table);
}

}  // namespace
