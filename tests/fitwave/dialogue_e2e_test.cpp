// fitwave end to end: the questions, the input wave and its size, and the ways a run ends early.
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

// A complete run on a wave of nt records at 0.01 s with the defaults and nit iterations.
std::vector<std::string> default_run(int nit_answer, int nt, int if1, int nf) {
  std::vector<std::string> want =
      dialogue(1, fr(1.0f / static_cast<float>(nit_answer)), false, false);
  append(want, sizes(nt, 0.01f, if1, nf));
  append(want, iterations(nit_answer));
  append(want, file_prompts());
  return want;
}

TEST(FitwaveDialogue, DefaultsThroughTheTransformLength) {
  scratch_dir dir;
  write_file(dir / "wave.csv", wave_csv(4, 0.01));
  const auto r = run_program(program, dir.path(),
                             answers({"wave.csv", "3", "0", "0", "table.csv", "fitted.csv"}));
  // The lines the user sees first, exactly.
  ASSERT_GE(r.out.size(), 10u);
  EXPECT_EQ(
      r.out.substr(0, r.out.find("  DUR")),
      crlf({" Enter Acceleration Wave Data", "", " Enter Number of Iterations (Nit: up to 10)", "",
            " Corner Times for Waveform:", "   tb,tc,td,te(s)=  4.  35.  60.  80.",
            " Change Those Data? (Enter No=0 or Yes=1)",
            " Amplitue Factor for the Head and Tail of Waveform:",
            "   Initial Value (ampfac=1/Nit) =  0.333333343",
            " Change Those the Value? (Enter No=0 or Yes=1)", " NT and DT= 4  0.00999999978", "",
            "  IF1,NF= 2 4", ""}));
  expect_lines(r.out, default_run(3, 4, 2, 4), "stdout");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

TEST(FitwaveDialogue, IterationPromptRepeatsWhileAboveTen) {
  scratch_dir dir;
  write_file(dir / "wave.csv", wave_csv(4, 0.01));
  const auto r = run_program(
      program, dir.path(), answers({"wave.csv", "11", "10", "0", "0", "table.csv", "fitted.csv"}));
  std::vector<std::string> want = dialogue(2, "  0.100000001", false, false);
  append(want, sizes(4, 0.01f, 2, 4));
  append(want, iterations(10));
  append(want, file_prompts());
  expect_lines(r.out, want, "stdout");
  EXPECT_EQ(r.status, 0);
}

TEST(FitwaveDialogue, RecordCountChoosesTheTransformLength) {
  struct row {
    int records, if1, nf;
  };
  for (const row& c : {row{3, 2, 4}, row{4, 2, 4}, row{5, 3, 8}, row{32768, 15, 32768}}) {
    scratch_dir dir;
    write_file(dir / "wave.csv", wave_csv(c.records, 0.01));
    // No iteration: the largest wave is prepared and written without a long fit.
    const auto r = run_program(program, dir.path(),
                               answers({"wave.csv", "0", "0", "0", "table.csv", "fitted.csv"}));
    std::vector<std::string> want = dialogue(1, "", false, false);
    want[8] = re("   Initial Value \\(ampfac=1/Nit\\) =" + any_real);
    append(want, sizes(c.records, 0.01f, c.if1, c.nf));
    append(want, file_prompts());
    expect_lines(r.out, want, "stdout");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0) << c.records;
    EXPECT_EQ(records(read_file(dir / "fitted.csv")).size(),
              static_cast<std::size_t>(c.records + 1));
  }
}

TEST(FitwaveDialogue, OverLongWaveStopsNormallyWithoutFiles) {
  // 32769 records pass the limit; 66001 also pass the capacity of the arrays.
  for (int n : {32769, 66001}) {
    scratch_dir dir;
    write_file(dir / "wave.csv", wave_csv(n, 0.01));
    const auto r = run_program(program, dir.path(),
                               answers({"wave.csv", "1", "0", "0", "table.csv", "fitted.csv"}));
    std::vector<std::string> want = dialogue(1, "  1.", false, false);
    append(want, {" NT and DT= " + std::to_string(n) + fr(0.01f), "  NT>2**15 !!!!!"});
    expect_lines(r.out, want, "stdout");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "table.csv"));
    EXPECT_FALSE(std::filesystem::exists(dir / "fitted.csv"));
  }
}

TEST(FitwaveDialogue, FewerThanTwoSamplesEndWithStatusOne) {
  struct row {
    const char* name;
    const char* content;  // nullptr: no such file
  };
  const row rows[] = {{"missing", nullptr},
                      {"empty", ""},
                      {"header only", "time(sec),seed-Acc(gal)\r\n"},
                      {"one record", "time(sec),seed-Acc(gal)\r\n0.0,12.5\r\n"},
                      {"one and a half", "time(sec),seed-Acc(gal)\r\n0.0,12.5\r\n0.01\r\n"}};
  for (const row& c : rows) {
    scratch_dir dir;
    if (c.content != nullptr) write_file(dir / "wave.csv", c.content);
    const auto r = run_program(program, dir.path(),
                               answers({"wave.csv", "1", "0", "0", "table.csv", "fitted.csv"}));
    std::vector<std::string> want = dialogue(1, "  1.", false, false);
    want.push_back("  NT<2 !!!!! The wave needs at least two samples.");
    expect_lines(r.out, want, c.name);
    EXPECT_EQ(r.err, "") << c.name;
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_TRUE(std::filesystem::exists(dir / "wave.csv")) << c.name;  // the open creates it
    EXPECT_FALSE(std::filesystem::exists(dir / "table.csv")) << c.name;
  }
}

TEST(FitwaveDialogue, FileWithoutHeaderLosesItsFirstRecord) {
  scratch_dir dir;
  // Times 0, 0.5, 0.52, ...: the first record is taken as the header, dt from the next two.
  write_file(dir / "wave.csv", "0.0,1.0\r\n0.5,2.0\r\n0.52,3.0\r\n0.54,4.0\r\n0.56,5.0\r\n");
  const auto r = run_program(program, dir.path(),
                             answers({"wave.csv", "0", "0", "0", "table.csv", "fitted.csv"}));
  const float dt = 0.52f - 0.5f;
  EXPECT_NE(r.out.find(crlf({" NT and DT= 4" + fr(dt), "", "  IF1,NF= 2 4"})), std::string::npos)
      << r.out;
  EXPECT_EQ(r.status, 0);
  // The wave is kept as read (no iteration): 2, 3, 4, 5 gal at times 0, dt, 2dt, 3dt.
  const auto rows = records(read_file(dir / "fitted.csv"));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[1].substr(0, 21), "  0.0000,  0.2000E+01");
  EXPECT_EQ(rows[4].substr(0, 21), f8_4(3.0f * dt) + ",  0.5000E+01");
}

TEST(FitwaveDialogue, CornerTimesAndExponentAsTyped) {
  struct row {
    const char* ncorner;
    const char* nampfac;
    const char* eamp_at_1s;    // envelope at t = 1 s
    const char* factor_at_1s;  // envelope to the power ampfac
  };
  const row cases[] = {
      // Corners 2, 20, 40, 50 and ampfac 0.5: (1/2)^2 = 0.25, whose root is 0.5.
      {"1", "1", "  0.2500E+00", "  0.5000E+00"},
      // Any answer but 1 keeps the defaults: (1/4)^2 and ampfac 1/nit = 1.
      {"2", "-1", "  0.6250E-01", "  0.6250E-01"},
      {"0", "0", "  0.6250E-01", "  0.6250E-01"},
  };
  for (const row& c : cases) {
    scratch_dir dir;
    write_file(dir / "wave.csv", wave_csv(128, 0.01));
    const bool corners = std::string_view(c.ncorner) == "1";
    const bool ampfac = std::string_view(c.nampfac) == "1";
    std::string in = answers({"wave.csv", "1", c.ncorner});
    if (corners) in += answers({"2,20,40,50"});
    in += answers({c.nampfac});
    if (ampfac) in += answers({"0.5"});
    in += answers({"table.csv", "fitted.csv"});
    const auto r = run_program(program, dir.path(), in);

    std::vector<std::string> want = dialogue(1, "  1.", corners, ampfac);
    append(want, sizes(128, 0.01f, 7, 128));
    append(want, iterations(1));
    append(want, file_prompts());
    expect_lines(r.out, want, c.ncorner);
    EXPECT_EQ(r.status, 0);
    const auto rows = records(read_file(dir / "fitted.csv"));
    ASSERT_EQ(rows.size(), 129u);
    // Sample 101 lies at 1 s: its time, then after the acceleration the two envelope fields.
    EXPECT_EQ(rows[101].substr(0, 9), "  1.0000,");
    EXPECT_EQ(rows[101].substr(22, 12), c.eamp_at_1s);
    EXPECT_EQ(rows[101].substr(35, 12), c.factor_at_1s);
    EXPECT_EQ(rows[101].substr(34, 1) + rows[101].substr(47), ",,");
  }
}

TEST(FitwaveDialogue, NullAnswersCountAsZero) {
  scratch_dir dir;
  write_file(dir / "wave.csv", wave_csv(4, 0.01));
  // A comma for nit, a slash for the corner question, a comma for the exponent question.
  const auto r = run_program(program, dir.path(),
                             answers({"wave.csv", ",", "/", ",", "table.csv", "fitted.csv"}));
  std::vector<std::string> want = dialogue(1, "", false, false);
  want[8] = re("   Initial Value \\(ampfac=1/Nit\\) =" + any_real);
  append(want, sizes(4, 0.01f, 2, 4));
  append(want, file_prompts());
  expect_lines(r.out, want, "stdout");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(dir / "table.csv").substr(0, 38),
            crlf({"period(sec),kokuji1461,Iteration No."}));
}

TEST(FitwaveDialogue, OnlyTwentyCharactersOfTheNameAreUsed) {
  scratch_dir dir;
  write_file(dir / "abcdefghijklmnopqrst", wave_csv(4, 0.01));
  const auto r =
      run_program(program, dir.path(),
                  answers({"abcdefghijklmnopqrstuvwxy", "1", "0", "0", "table.csv", "fitted.csv"}));
  EXPECT_NE(r.out.find(" NT and DT= 4"), std::string::npos);
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "abcdefghijklmnopqrstuvwxy"));
}

TEST(FitwaveDialogue, FatalReportsEndTheRunByAbort) {
  struct row {
    const char* name;
    std::string input;
    std::string out;
    std::string err;
  };
  const std::string first = crlf({" Enter Acceleration Wave Data"});
  const std::string nit_prompt = crlf({"", " Enter Number of Iterations (Nit: up to 10)"});
  const row rows[] = {
      {"a word for a number", answers({"wave.csv", "abc"}), first + nit_prompt,
       crlf({"invalid number: incomprehensible list input", "apparent state: unit 5 (unnamed)",
             "last format: list io", "lately reading sequential formatted external IO"})},
      {"a decimal point in an integer", answers({"wave.csv", "1.0"}), first + nit_prompt,
       crlf({"invalid integer: read unexpected character", "apparent state: unit 5 (unnamed)",
             "last format: list io", "lately reading sequential formatted external IO"})},
      {"no answer at all", "", first,
       crlf({"fmt: end of file", "apparent state: unit 5 (unnamed)", "last format: (A20)",
             "lately reading sequential formatted external IO"})},
      {"input ends at the iterations", answers({"wave.csv"}), first + nit_prompt,
       crlf({"list in: end of file", "apparent state: unit 5 (unnamed)", "last format: list io",
             "lately reading sequential formatted external IO"})},
      {"blank input file name", answers({"", "1", "0", "0"}), "",
       crlf({"open: null file name", "apparent state: unit 11 named ", "last format: list io",
             "lately reading sequential formatted external IO"})},
  };
  for (const row& c : rows) {
    scratch_dir dir;
    write_file(dir / "wave.csv", wave_csv(4, 0.01));
    const auto r = run_program(program, dir.path(), c.input);
    if (!c.out.empty()) {
      EXPECT_EQ(r.out, c.out) << c.name;
    }
    EXPECT_EQ(r.err, c.err) << c.name;
    EXPECT_EQ(r.signal, SIGABRT) << c.name;
  }
}

TEST(FitwaveDialogue, InterruptAtAPromptEndsWithStatusOne) {
  scratch_dir dir;
  const auto r = run_program(program, dir.path(), "", 300, SIGINT);
  EXPECT_EQ(r.out, crlf({" Enter Acceleration Wave Data"}));
  EXPECT_EQ(r.err, crlf({"Interrupt"}));
  EXPECT_EQ(r.status, 1);
}

}  // namespace
