// fitwave run as a user runs it: piped answers, both console streams, exit and files, byte for
// byte. The values of the criteria are held by the unit tests; here they are masked.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdio>

#include "run_program.h"

namespace {

using testsupport::crlf;
using testsupport::read_file;
using testsupport::run_program;
using testsupport::scratch_dir;
using testsupport::write_file;

const std::filesystem::path program = GM_FITWAVE_PATH;

// A header, then n records of time (step 0.01 s) and acceleration, lines in CR LF.
std::string wave(int n) {
  std::string s = "time(sec),seed-Acc(gal)\r\n";
  char line[64];
  for (int i = 0; i < n; ++i) {
    std::snprintf(line, sizeof line, "%8.4f,%.2f\r\n", i * 0.01, 120.0 * std::sin(0.9 * i) + 45);
    s += line;
  }
  return s;
}

// A free-form real as printed: a blank, a sign place, nine significant digits, a point.
std::string fr(float v) {
  char b[40];
  std::snprintf(b, sizeof b, "  %.9G", static_cast<double>(v));
  std::string s = b;
  return s.find('.') == std::string::npos ? s + "." : s;
}

// The questions; "Initial Value" and the criteria show their values masked as "#".
std::string asked(int nit_prompts = 1, bool corners = false, bool ampfac = false) {
  std::string s = crlf({" Enter Acceleration Wave Data", ""});
  for (int i = 0; i < nit_prompts; ++i) s += crlf({" Enter Number of Iterations (Nit: up to 10)"});
  s += crlf({"", " Corner Times for Waveform:", "   tb,tc,td,te(s)=  4.  35.  60.  80.",
             " Change Those Data? (Enter No=0 or Yes=1)"});
  if (corners) s += crlf({" Enter tb,tc,td,te(s):"});
  s += crlf(
      {" Amplitue Factor for the Head and Tail of Waveform:", "   Initial Value (ampfac=1/Nit) =#",
       " Change Those the Value? (Enter No=0 or Yes=1)"});
  return ampfac ? s + crlf({" Enter ampfac (If ampfac=1, No Amplification):"}) : s;
}
// The sizes and the grid, evaluated here in single precision.
std::string sized(int nt, int if1, int nf, float dt = 0.01f) {
  const float dur = static_cast<float>(nf) * dt, dom = 6.2831855f / dur;
  const float eom = static_cast<float>(nf / 2 + 1) * dom;
  return crlf(
      {" NT and DT= " + std::to_string(nt) + fr(dt), "",
       "  IF1,NF= " + std::to_string(if1) + " " + std::to_string(nf), "",
       "  DUR,DOM,NOM,EOM=" + fr(dur) + fr(dom) + " " + std::to_string(nf / 2 + 1) + fr(eom),
       "  Highest Frequency (hz)=" + fr(eom / 6.2831855f), ""});
}
std::string fitted(int nit) {
  std::string s;
  for (int k = 1; k <= nit; ++k) {
    s += crlf({"  Iteration Number = " + std::to_string(k), "    Error Criteria 1 (>=0.85):#",
               "    Error Criteria 2 (>=1.0) :#", "    Error Criteria 3 (<=0.05):#",
               "    Error Criteria 4 (>=0.95):#"});
  }
  return s + crlf({"", " Enter Response Spectra Data", "", " Enter output acceleration file name"});
}
std::string masked(std::string out) {
  for (const std::string_view label :
       {"Criteria 1 (>=0.85):", "Criteria 2 (>=1.0) :", "Criteria 3 (<=0.05):",
        "Criteria 4 (>=0.95):", "(ampfac=1/Nit) ="}) {
    for (std::size_t at = 0; (at = out.find(label, at)) != std::string::npos;) {
      at += label.size();
      out.erase(at, out.find('\r', at) - at);
      out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), '#');
    }
  }
  return out;
}
std::string report(const char* first, const char* unit, const char* format) {
  std::string s = crlf({first, unit});
  if (*format) s += crlf({format});
  return s + crlf({"lately reading sequential formatted external IO"});
}

TEST(FitwaveRun, ConsoleTranscripts) {
  const std::string tail = crlf({"table.csv", "fitted.csv"});
  const std::string lt2 = asked() + crlf({"  NT<2 !!!!! The wave needs at least two samples."});
  struct row {
    const char* name;
    std::string file;  // the input wave, or "-" for none
    std::string input, out, shown = "", err = "";
    int status = 0, signal = 0;
    const char* file_name = "wave.csv";
  };
  const row rows[] = {
      {"defaults", wave(4), "wave.csv\n3\n0\n0\n" + tail, asked() + sized(4, 2, 4) + fitted(3),
       "=  0.333333343\r\n"},
      {"11 then 10", wave(4), "wave.csv\n11\n10\n0\n0\n" + tail,
       asked(2) + sized(4, 2, 4) + fitted(10), "=  0.100000001\r\n"},
      {"changes", wave(3), "wave.csv\n1\n1\n2 20 40 50\n1\n0.5\n" + tail,
       asked(1, true, true) + sized(3, 2, 4) + fitted(1), "=  1.\r\n"},
      {"5 records", wave(5), "wave.csv\n1\n2\n-1\n" + tail, asked() + sized(5, 3, 8) + fitted(1)},
      {"32768 records", wave(32768), "wave.csv\n0\n0\n0\n" + tail,
       asked() + sized(32768, 15, 32768) + fitted(0)},
      {"null answers", wave(4), "wave.csv\n,\n/\n,\n" + tail, asked() + sized(4, 2, 4) + fitted(0)},
      // Without a header the first record is skipped as one; dt comes from the next two.
      {"no header", "0,1\r\n0.5,2\r\n0.52,3\r\n0.54,4\r\n0.56,5\r\n", "wave.csv\n0\n0\n0\n" + tail,
       asked() + sized(4, 2, 4, 0.52f - 0.5f) + fitted(0)},
      {"25 characters", wave(4), "abcdefghijklmnopqrstuvwxy\n-2\n0\n0\n" + tail,
       asked() + sized(4, 2, 4) + fitted(0), "= -0.5\r\n", "", 0, 0, "abcdefghijklmnopqrst"},
      {"32769 records", wave(32769), "wave.csv\n1\n0\n0\n" + tail,
       asked() + crlf({" NT and DT= 32769" + fr(0.01f), "  NT>2**15 !!!!!"})},
      {"66001 records", wave(66001), "wave.csv\n1\n0\n0\n" + tail,
       asked() + crlf({" NT and DT= 66001" + fr(0.01f), "  NT>2**15 !!!!!"})},
      {"no file", "-", "wave.csv\n1\n0\n0\n" + tail, lt2, "", "", 1},
      {"empty file", "", "wave.csv\n1\n0\n0\n" + tail, lt2, "", "", 1},
      {"header only", wave(0), "wave.csv\n1\n0\n0\n" + tail, lt2, "", "", 1},
      {"one and a half", wave(1) + "0.01\r\n", "wave.csv\n1\n0\n0\n" + tail, lt2, "", "", 1},
      {"abc", wave(4), "wave.csv\nabc\n",
       crlf({" Enter Acceleration Wave Data", "", " Enter Number of Iterations (Nit: up to 10)"}),
       "",
       report("invalid number: incomprehensible list input", "apparent state: unit 5 (unnamed)",
              "last format: list io"),
       -1, SIGABRT},
      {"no answer", wave(4), "", crlf({" Enter Acceleration Wave Data"}), "",
       report("fmt: end of file", "apparent state: unit 5 (unnamed)", "last format: (A20)"), -1,
       SIGABRT},
      {"blank name", wave(4), "\n1\n0\n0\n", asked(), "",
       report("open: null file name", "apparent state: unit 11 named ", "last format: list io"), -1,
       SIGABRT},
  };
  for (const row& r : rows) {
    scratch_dir dir;
    if (r.file != "-") write_file(dir / r.file_name, r.file);
    const auto got = run_program(program, dir.path(), r.input);
    EXPECT_EQ(masked(got.out), r.out) << r.name;
    EXPECT_NE(got.out.find(r.shown), std::string::npos) << r.name;
    EXPECT_EQ(got.err, r.err) << r.name;
    EXPECT_EQ(got.status, r.status) << r.name;
    EXPECT_EQ(got.signal, r.signal) << r.name;
    EXPECT_EQ(std::filesystem::exists(dir / "table.csv"), r.out.ends_with("file name\r\n"))
        << r.name;
  }
  const auto stopped = run_program(program, scratch_dir().path(), "", 300, SIGINT);
  EXPECT_EQ(stopped.out, crlf({" Enter Acceleration Wave Data"}));
  EXPECT_EQ(stopped.err, crlf({"Interrupt"}));
  EXPECT_EQ(stopped.status, 1);
}

// The records of a file, each checked to end in CR LF.
std::vector<std::string> records(const std::string& text) {
  std::vector<std::string> r;
  for (std::size_t at = 0, lf; (lf = text.find('\n', at)) != std::string::npos; at = lf + 1) {
    EXPECT_EQ(text[lf - 1], '\r');
    r.push_back(text.substr(at, lf - 1 - at));
  }
  return r;
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
  outcome o;
  o.run = run_program(program, dir.path(), answers);
  o.table = read_file(dir / "table.csv");
  o.fitted = read_file(dir / "fitted.csv");
  o.input = read_file(dir / "wave.csv");
  return o;
}

// A row of "(F8.4,20(',',E12.4))": an F8.4 field, then values times "," and an E12.4 field
// such as "  0.1234E+03" or " -0.4567E+02", and a final ",".
bool laid_out(const std::string& row, std::size_t values) {
  const auto digits = [&](std::size_t at, std::size_t n) {
    return row.find_first_not_of("0123456789", at) >= at + n;
  };
  bool ok = row.size() == 8 + 13 * values + 1 && row.back() == ',' && row[3] == '.' &&
            digits(2, 1) && digits(4, 4);
  for (std::size_t k = 0, at = 8; k < values; ++k, at += 13) {
    ok = ok && row.compare(at, 2, ", ") == 0 && (row[at + 2] == ' ' || row[at + 2] == '-') &&
         row.compare(at + 3, 2, "0.") == 0 && digits(at + 5, 4) && row[at + 9] == 'E' &&
         (row[at + 10] == '+' || row[at + 10] == '-') && digits(at + 11, 2);
  }
  return ok;
}

TEST(FitwaveFiles, TableAndWaveLayout) {
  std::vector<std::string> first_run;
  for (int nit : {1, 2, 0, -3}) {
    // Corner times 2, 20, 40, 50 s and ampfac 1, so that iteration 1 is the same in every run.
    const outcome o = run_256("wave.csv\n" + std::to_string(nit) +
                              "\n1\n2,20,40,50\n1\n1\ntable.csv\nfitted.csv\n");
    EXPECT_EQ(o.run.status, 0);
    std::string header = "period(sec),kokuji1461";
    for (int k = 1; k <= nit; ++k) header += ",Iteration No.  " + std::to_string(k);
    const auto table = records(o.table);
    ASSERT_GT(table.size(), 20u);
    EXPECT_EQ(table[0], header + ",Iteration No.");
    // Rows from 2*dt (target 3000*0.02 + 320) to dur (512/2.56), at least 0.01 s apart.
    const auto values = static_cast<std::size_t>(std::max(nit + 1, 0));
    for (std::size_t i = 1; i < table.size(); ++i) {
      EXPECT_TRUE(laid_out(table[i], values)) << table[i];
      EXPECT_GE(std::stod(table[i]) - (i > 1 ? std::stod(table[i - 1]) : 0.0), 0.0099) << i;
    }
    EXPECT_EQ(table[1].substr(0, 21), nit < 0 ? "  0.0200," : "  0.0200,  0.3800E+03");
    EXPECT_EQ(table.back().substr(0, 21), nit < 0 ? "  2.5600," : "  2.5600,  0.2000E+03");
    if (nit == 1) first_run = table;
    for (std::size_t i = 1; nit == 2 && i < table.size(); ++i) {
      EXPECT_EQ(table[i].substr(0, 34), first_run[i].substr(0, 34));
    }
    // The wave: four fields, time (i-1)*dt, envelope (1/2)^2 at 1 s; no iteration keeps the input.
    const auto w = records(o.fitted);
    ASSERT_EQ(w.size(), 257u);
    EXPECT_EQ(w[0], " time(sec),Acc(gal),eamp,eamp*ampfac");
    for (std::size_t i = 1; i < w.size(); ++i) {
      EXPECT_TRUE(laid_out(w[i], 3)) << w[i];
    }
    EXPECT_EQ(w[101].substr(0, 8) + w[101].substr(21), "  1.0000,  0.2500E+00,  0.2500E+00,");
    EXPECT_EQ(w[2].substr(0, 21) == "  0.0100,  0.1390E+03", nit <= 0);
  }
}

TEST(FitwaveFiles, OverwritingAndNames) {
  const std::string input = "wave.csv\n1\n0\n0\n";
  const outcome fresh = run_256(input + "table.csv\nfitted.csv\n");
  // A longer old table is cut after the new records; one name for both keeps only the wave.
  EXPECT_EQ(run_256(input + "table.csv\nfitted.csv\n", std::string(99999, 'x')).table, fresh.table);
  EXPECT_EQ(run_256(input + "fitted.csv\nfitted.csv\n").fitted, fresh.fitted);
  // A null table name is refused instead of naming the input wave, which stays as it was.
  for (const char* null_name : {",\n", "/\n"}) {
    const outcome o = run_256(input + null_name + "fitted.csv\n");
    EXPECT_EQ(o.run.err, report("open: null file name", "apparent state: unit 11 named ",
                                "last format: list io"));
    EXPECT_EQ(o.run.signal, SIGABRT);
    EXPECT_EQ(o.input, wave(256));
  }
  // A blank wave name after the table is written keeps the whole table.
  const outcome blank = run_256(input + "table.csv\n\n");
  EXPECT_EQ(blank.run.err, report("open: null file name", "apparent state: unit 12 named ", ""));
  EXPECT_EQ(blank.table, fresh.table);
}

}  // namespace
