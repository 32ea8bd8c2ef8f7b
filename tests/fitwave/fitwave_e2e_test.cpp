// fitwave run as a user runs it: piped answers, both console streams, exit and files, byte for
// byte. The criteria are masked here: the golden runs hold their values.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdio>

#include "run_program.h"
#include "transcripts.h"

namespace {

using namespace testsupport;

const std::filesystem::path program = GM_FITWAVE_PATH;

// n samples at 0.01 s.
std::string wave(int n) {
  return wave_file(n, 0.01, [](int i) { return 120.0 * std::sin(0.9 * i) + 45; });
}

// A free-form real as printed: a blank, a sign place, nine significant digits, a point.
std::string fr(float v) {
  char b[40];
  std::snprintf(b, sizeof b, "  %.9G", static_cast<double>(v));
  return std::string(b) + (std::string_view(b).find('.') == std::string_view::npos ? "." : "");
}

// The questions, with the default exponent shown as ampfac.
std::string asked(const std::string& ampfac, int nit_prompts = 1, bool changes = false) {
  lines l = fit::name + fit::nit;
  for (int i = 1; i < nit_prompts; ++i) l.push_back(fit::nit.back());
  l = l + fit::corners + (changes ? fit::new_corners : lines{}) + fit::ampfac(ampfac);
  return joined(changes ? l + fit::new_ampfac : l);
}
// The sizes and the grid, evaluated here in single precision; then nit masked reports and the
// two file prompts.
std::string fitted(int nt, int if1, int nf, int nit, float dt = 0.01f) {
  const float dur = static_cast<float>(nf) * dt, dom = 6.2831855f / dur;
  const float eom = static_cast<float>(nf / 2 + 1) * dom;
  std::string s =
      crlf({" NT and DT= " + std::to_string(nt) + fr(dt), "",
            "  IF1,NF= " + std::to_string(if1) + " " + std::to_string(nf), "",
            "  DUR,DOM,NOM,EOM=" + fr(dur) + fr(dom) + " " + std::to_string(nf / 2 + 1) + fr(eom),
            "  Highest Frequency (hz)=" + fr(eom / 6.2831855f), ""});
  for (int k = 1; k <= nit; ++k) {
    s += crlf({"  Iteration Number = " + std::to_string(k), "    Error Criteria 1 (>=0.85):#",
               "    Error Criteria 2 (>=1.0) :#", "    Error Criteria 3 (<=0.05):#",
               "    Error Criteria 4 (>=0.95):#"});
  }
  return s + joined(fit::table_name + fit::wave_name);
}
std::string masked(std::string out) {
  for (const std::string_view label : {"0.85):", "1.0) :", "0.05):", "0.95):"}) {
    for (std::size_t at = 0; (at = out.find(label, at)) != std::string::npos;) {
      at += label.size();
      out.erase(at, out.find('\r', at) - at);
      out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), '#');
    }
  }
  return out;
}

TEST(fitwave_run, console_transcripts) {
  // The default exponent 1/nit as printed: nit = 0 divides by zero.
  const std::string one = "  1.", third = "  0.333333343", tenth = "  0.100000001",
                    infinite = "  Infinity";
  const std::string tail = "table.csv\nfitted.csv\n", plain = "wave.csv\n1\n0\n0\n" + tail;
  const std::string lt2 = asked(one) + crlf({"  NT<2 !!!!! The wave needs at least two samples."});
  const std::string nt_long = "  NT>2**15 !!!!!";
  struct row {
    std::string file, input, out, err = "";  // file "-": no input file
    int status = 0, signal = 0;
  };
  const row rows[] = {
      {wave(4), "wave.csv\n3\n0\n0\n" + tail, asked(third) + fitted(4, 2, 4, 3)},
      {wave(4), "wave.csv\n11\n10\n0\n0\n" + tail, asked(tenth, 2) + fitted(4, 2, 4, 10)},
      {wave(3), "wave.csv\n1\n1\n2 20 40 50\n1\n0.5\n" + tail,
       asked(one, 1, true) + fitted(3, 2, 4, 1)},
      {wave(5), "wave.csv\n1\n2\n-1\n" + tail, asked(one) + fitted(5, 3, 8, 1)},
      {wave(32768), "wave.csv\n0\n0\n0\n" + tail, asked(infinite) + fitted(32768, 15, 32768, 0)},
      {wave(4), "wave.csv\n,\n/\n,\n" + tail, asked(infinite) + fitted(4, 2, 4, 0)},  // nulls
      // Without a header the first record is skipped as one; dt comes from the next two.
      {"0,1\n0.5,2\n0.52,3\n0.54,4\n0.56,5\n", "wave.csv\n-2\n0\n0\n" + tail,
       asked(" -0.5") + fitted(4, 2, 4, 0, 0.52f - 0.5f)},
      {wave(32769), plain, asked(one) + crlf({" NT and DT= 32769" + fr(0.01f), nt_long})},
      {wave(66001), plain, asked(one) + crlf({" NT and DT= 66001" + fr(0.01f), nt_long})},
      {"-", plain, lt2, "", 1},
      {"", plain, lt2, "", 1},
      {wave(0), plain, lt2, "", 1},
      {wave(1) + "0.01\r\n", plain, lt2, "", 1},
      {wave(4), "wave.csv\nabc\n",
       crlf({" Enter Acceleration Wave Data", "", " Enter Number of Iterations (Nit: up to 10)"}),
       report("invalid number: incomprehensible list input", "unit 5 (unnamed)", "list io", true),
       -1, SIGABRT},
      {wave(4), "", crlf({" Enter Acceleration Wave Data"}),
       report("fmt: end of file", "unit 5 (unnamed)", "(A20)", true), -1, SIGABRT},
      {wave(4), "\n1\n0\n0\n", asked(one),
       report("open: null file name", "unit 11 named ", "list io", true), -1, SIGABRT},
  };
  for (const row& r : rows) {
    scratch_dir dir;
    if (r.file != "-") write_file(dir / "wave.csv", r.file);
    const auto got = run_program(program, dir.path(), r.input);
    EXPECT_EQ(masked(got.out), r.out) << r.input;
    EXPECT_EQ(got.err, r.err) << r.input;
    EXPECT_EQ(got.status, r.status) << r.input;
    EXPECT_EQ(got.signal, r.signal) << r.input;
    EXPECT_EQ(std::filesystem::exists(dir / "table.csv"), r.out.ends_with("name\r\n")) << r.input;
  }
  scratch_dir dir;  // only the first 20 characters of a name count
  write_file(dir / "abcdefghijklmnopqrst", wave(4));
  EXPECT_EQ(run_program(program, dir.path(), "abcdefghijklmnopqrstuvwxy\n1\n0\n0\n" + tail).status,
            0);
  const auto stopped =
      run_program(program, dir.path(), "", testsupport::on_stdout(" Enter Acceleration", SIGINT));
  EXPECT_EQ(stopped.out + stopped.err, crlf({" Enter Acceleration Wave Data", "Interrupt"}));
  EXPECT_EQ(stopped.status, 1);
}

struct outcome {
  testsupport::run_result run;
  std::string table, fitted, input;
};

// A run on 256 samples at 0.01 s (periods 2.56 s down to 0.02 s), over an old table if given.
outcome run_256(const std::string& answers, const std::string& old_table = "") {
  scratch_dir dir;
  write_file(dir / "wave.csv", wave(256));
  if (!old_table.empty()) write_file(dir / "table.csv", old_table);
  return {run_program(program, dir.path(), answers), read_file(dir / "table.csv"),
          read_file(dir / "fitted.csv"), read_file(dir / "wave.csv")};
}

// A row of "(F8.4,20(',',E12.4))" with values E12.4 fields: "  0.5000,  0.8000E+03,".
bool laid_out(const std::string& row, std::size_t values) {
  bool ok = row.size() == 9 + 13 * values && row[3] == '.' && row.back() == ',';
  for (std::size_t at = 8; ok && at + 1 < row.size(); at += 13) {
    ok = row[at] == ',' && row.compare(at + 3, 2, "0.") == 0 && row[at + 9] == 'E';
  }
  return ok;
}

TEST(fitwave_files, table_and_wave_layout) {
  std::vector<std::string> first_run;
  for (int nit : {1, 2, 0, -3}) {
    // Corner times 2, 20, 40, 50 s and ampfac 1, so that iteration 1 is the same in every run.
    const outcome o = run_256("wave.csv\n" + std::to_string(nit) +
                              "\n1\n2,20,40,50\n1\n1\ntable.csv\nfitted.csv\n");
    std::string header = "period(sec),kokuji1461";
    for (int k = 1; k <= nit; ++k) header += ",Iteration No.  " + std::to_string(k);
    const auto table = records(o.table);
    ASSERT_GT(table.size(), 20u);
    EXPECT_EQ(table[0], header + ",Iteration No.");
    // Rows from 2*dt (target 3000*0.02 + 320) to dur (512/2.56), at least 0.01 s apart.
    for (std::size_t i = 1; i < table.size(); ++i) {
      EXPECT_TRUE(laid_out(table[i], static_cast<std::size_t>(std::max(nit + 1, 0)))) << table[i];
      EXPECT_GE(std::stod(table[i]) - (i > 1 ? std::stod(table[i - 1]) : 0.0), 0.0099) << i;
      if (nit == 2) {
        EXPECT_EQ(table[i].substr(0, 34), first_run[i].substr(0, 34));
      }
    }
    EXPECT_EQ(table[1].substr(0, 21), nit < 0 ? "  0.0200," : "  0.0200,  0.3800E+03");
    EXPECT_EQ(table.back().substr(0, 21), nit < 0 ? "  2.5600," : "  2.5600,  0.2000E+03");
    if (nit == 1) first_run = table;
    // The wave: time (i-1)*dt, envelope (1/2)^2 at 1 s; without iterations the input is kept.
    const auto w = records(o.fitted);
    ASSERT_EQ(w.size(), 257u);
    EXPECT_EQ(w[0], " time(sec),Acc(gal),eamp,eamp*ampfac");
    for (std::size_t i = 1; i < w.size(); ++i) EXPECT_TRUE(laid_out(w[i], 3)) << w[i];
    EXPECT_EQ(w[101].substr(0, 8) + w[101].substr(21), "  1.0000,  0.2500E+00,  0.2500E+00,");
    EXPECT_EQ(w[2].substr(0, 21) == "  0.0100,  0.1390E+03", nit <= 0);
  }
}

TEST(fitwave_files, overwriting_and_names) {
  const std::string input = "wave.csv\n1\n0\n0\n";
  const outcome fresh = run_256(input + "table.csv\nfitted.csv\n");
  // A longer old table is cut after the new records; one name for both keeps only the wave.
  EXPECT_EQ(run_256(input + "table.csv\nfitted.csv\n", std::string(99999, 'x')).table, fresh.table);
  EXPECT_EQ(run_256(input + "fitted.csv\nfitted.csv\n").fitted, fresh.fitted);
  // A null table name is refused instead of naming the input wave, which stays as it was.
  for (const char* null_name : {",\n", "/\n"}) {
    const outcome o = run_256(input + null_name + "fitted.csv\n");
    EXPECT_EQ(o.run.err, report("open: null file name", "unit 11 named ", "list io", true));
    EXPECT_EQ(o.run.signal, SIGABRT);
    EXPECT_EQ(o.input, wave(256));
  }
  // A blank wave name after the table is written keeps the whole table.
  const outcome blank = run_256(input + "table.csv\n\n");
  EXPECT_EQ(blank.run.err, report("open: null file name", "unit 12 named ", "", true));
  EXPECT_EQ(blank.table, fresh.table);
}

}  // namespace
