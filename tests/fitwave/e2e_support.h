// Shared pieces of the fitwave end-to-end tests: input waves, answers and expected transcripts.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "run_program.h"

namespace fitwave_e2e {

inline const std::filesystem::path program = GM_FITWAVE_PATH;

// A wave of n records of time and acceleration, with an optional header, lines in CR LF as
// seedwave writes them. The accelerations have two decimals; time starts at t0.
inline std::string wave_csv(int n, double dt, bool header = true, double t0 = 0.0) {
  std::string s = header ? "time(sec),seed-Acc(gal)\r\n" : "";
  char line[64];
  for (int i = 0; i < n; ++i) {
    const double a = 120.0 * std::sin(0.9 * i) + 45.0 * std::sin(0.13 * i + 0.4);
    std::snprintf(line, sizeof line, "%8.4f,%.2f\r\n", t0 + i * dt, a);
    s += line;
  }
  return s;
}

// Answers, one per line, as a user types them.
inline std::string answers(std::initializer_list<std::string_view> lines) {
  std::string s;
  for (std::string_view l : lines) {
    s += l;
    s += '\n';
  }
  return s;
}

// A free-form real as printed: a blank, a sign place, nine significant digits, a point.
inline std::string fr(float value) {
  char b[40];
  std::snprintf(b, sizeof b, "%.9G", std::fabs(static_cast<double>(value)));
  std::string s = b;
  if (s.find('.') == std::string::npos) s += '.';
  return std::string(" ") + (value < 0 ? "-" : " ") + s;
}

// An expected line: exact text, or a pattern when it starts with "re:".
inline std::string re(const std::string& pattern) {
  return "re:" + pattern;
}

// Any free-form real, also an infinity or a NaN in whatever text the run gives them.
inline const std::string any_real = " [ -]?\\S+";

// Compares text line by line; every line must end in CR LF.
inline void expect_lines(const std::string& text, const std::vector<std::string>& want,
                         const char* what) {
  std::vector<std::string> got;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    ASSERT_NE(lf, std::string::npos) << what << ": unterminated last line";
    ASSERT_TRUE(lf > start && text[lf - 1] == '\r') << what << ": bare LF in line " << got.size();
    got.push_back(text.substr(start, lf - 1 - start));
    start = lf + 1;
  }
  for (std::size_t i = 0; i < std::min(got.size(), want.size()); ++i) {
    if (want[i].rfind("re:", 0) == 0) {
      EXPECT_TRUE(std::regex_match(got[i], std::regex(want[i].substr(3))))
          << what << " line " << i + 1 << ": \"" << got[i] << "\" does not match " << want[i];
    } else {
      EXPECT_EQ(got[i], want[i]) << what << " line " << i + 1;
    }
  }
  EXPECT_EQ(got.size(), want.size()) << what << ":\n" << text;
}

inline void append(std::vector<std::string>& to, const std::vector<std::string>& lines) {
  to.insert(to.end(), lines.begin(), lines.end());
}

// The questions up to the exponent, with the default corner times shown.
inline std::vector<std::string> dialogue(int nit_prompts, const std::string& ampfac_shown,
                                         bool corners_asked, bool ampfac_asked) {
  std::vector<std::string> l = {" Enter Acceleration Wave Data", ""};
  for (int i = 0; i < nit_prompts; ++i) l.push_back(" Enter Number of Iterations (Nit: up to 10)");
  append(l, {"", " Corner Times for Waveform:", "   tb,tc,td,te(s)=  4.  35.  60.  80.",
             " Change Those Data? (Enter No=0 or Yes=1)"});
  if (corners_asked) l.push_back(" Enter tb,tc,td,te(s):");
  append(l, {" Amplitue Factor for the Head and Tail of Waveform:",
             "   Initial Value (ampfac=1/Nit) =" + ampfac_shown,
             " Change Those the Value? (Enter No=0 or Yes=1)"});
  if (ampfac_asked) l.push_back(" Enter ampfac (If ampfac=1, No Amplification):");
  return l;
}

// The sizes, the grid (computed here in single precision) and the empty line before the loop.
inline std::vector<std::string> sizes(int nt, float dt, int if1, int nf) {
  const float dur = static_cast<float>(nf) * dt;
  const float dom = 6.2831855f / dur;
  const int nom = nf / 2 + 1;
  const float eom = static_cast<float>(nom) * dom;
  return {" NT and DT= " + std::to_string(nt) + fr(dt),
          "",
          "  IF1,NF= " + std::to_string(if1) + " " + std::to_string(nf),
          "",
          "  DUR,DOM,NOM,EOM=" + fr(dur) + fr(dom) + " " + std::to_string(nom) + fr(eom),
          "  Highest Frequency (hz)=" + fr(eom / 6.2831855f),
          ""};
}

// The report of each iteration; its values are held by the unit tests.
inline std::vector<std::string> iterations(int nit) {
  std::vector<std::string> l;
  for (int k = 1; k <= nit; ++k) {
    append(l, {"  Iteration Number = " + std::to_string(k),
               re("    Error Criteria 1 \\(>=0\\.85\\):" + any_real),
               re("    Error Criteria 2 \\(>=1\\.0\\) :" + any_real),
               re("    Error Criteria 3 \\(<=0\\.05\\):" + any_real),
               re("    Error Criteria 4 \\(>=0\\.95\\):" + any_real)});
  }
  return l;
}

inline std::vector<std::string> file_prompts() {
  return {"", " Enter Response Spectra Data", "", " Enter output acceleration file name"};
}

// The records of a file, CR LF removed; fails when a line does not end in CR LF.
inline std::vector<std::string> records(const std::string& text) {
  std::vector<std::string> r;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    EXPECT_TRUE(lf != std::string::npos && lf > start && text[lf - 1] == '\r');
    if (lf == std::string::npos) break;
    r.push_back(text.substr(start, lf - 1 - start));
    start = lf + 1;
  }
  return r;
}

inline const std::string f84 = "[ -]*[0-9]*\\.[0-9]{4}";           // F8.4, eight wide
inline const std::string e124 = "( |-)0\\.[0-9]{4}E[-+][0-9]{2}";  // E12.4 of a finite value

// A row of the row pattern with values fields after the period, each ",  0.dddd E+xx".
inline std::regex row_regex(int values) {
  std::string p = "(" + f84 + ")";
  for (int k = 0; k < values; ++k) p += ", " + e124;
  return std::regex(p + ",");
}

// F8.4 of a single-precision value, as a check of the time and period fields.
inline std::string f8_4(float v) {
  char b[32];
  std::snprintf(b, sizeof b, "%8.4f", static_cast<double>(v));
  return b;
}

}  // namespace fitwave_e2e
