// Shared pieces of the bad-input matrix: the programs, their console transcripts up to each
// prompt, the fatal-error report, and small waves whose results are known by hand.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"

namespace e2e {

inline const std::filesystem::path fitwave = GM_FITWAVE_PATH;
inline const std::filesystem::path seedwave = GM_SEEDWAVE_PATH;

using testsupport::crlf;
using testsupport::on_stdout;
using testsupport::read_file;
using testsupport::run_program;
using testsupport::run_result;
using testsupport::scratch_dir;
using testsupport::watch;
using testsupport::write_file;
using lines = std::vector<std::string>;

inline std::string joined(const lines& l) {
  std::string s;
  for (const std::string& x : l) s += x + "\r\n";
  return s;
}

inline lines operator+(lines a, const lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The fatal-error report: first line, unit and name, the edit pattern if one is current, and
// the direction of the last transfer.
inline std::string report(const std::string& first, const std::string& state,
                          const std::string& pattern, bool reading) {
  lines l = {first, "apparent state: " + state};
  if (!pattern.empty()) l.push_back("last format: " + pattern);
  l.push_back(reading ? "lately reading sequential formatted external IO"
                      : "lately writing sequential formatted external IO");
  return joined(l);
}

// fitwave's console, prompt by prompt, with the default corner times and nit = 2.
namespace fit {
inline const lines name = {" Enter Acceleration Wave Data"};
inline const lines nit = {"", " Enter Number of Iterations (Nit: up to 10)"};
inline const lines corners = {
    "", " Corner Times for Waveform:", "   tb,tc,td,te(s)=  4.  35.  60.  80.",
    " Change Those Data? (Enter No=0 or Yes=1)"};
inline const lines new_corners = {" Enter tb,tc,td,te(s):"};
inline lines ampfac(const std::string& shown) {
  return {" Amplitue Factor for the Head and Tail of Waveform:",
          "   Initial Value (ampfac=1/Nit) =" + shown,
          " Change Those the Value? (Enter No=0 or Yes=1)"};
}
inline const lines new_ampfac = {" Enter ampfac (If ampfac=1, No Amplification):"};
inline lines dialogue(const std::string& shown = "  0.5") {
  return name + nit + corners + ampfac(shown);
}
inline const lines table_name = {"", " Enter Response Spectra Data"};
inline const lines wave_name = {"", " Enter output acceleration file name"};
}  // namespace fit

// seedwave's console, prompt by prompt, with the default corner times.
namespace seed {
inline const lines number = {"", " Enter Random Number (1-999)"};
inline const lines grid = {"", "  dt,nt,duration(=dt*nt)=  0.01 8192  81.92",
                           "  DUR,DOM,NOM,EOM=  81.92  0.0766990394 4096  314.159265",
                           "  Highest Frequency (hz)=  50."};
inline const lines corners = {
    "", " Corner Times for Waveform:", "   tb,tc,td,te(s)=  4.  35.  60.  81.92",
    " Change Those Data? (Enter No=0 or Yes=1)"};
inline const lines new_corners = {" Enter tb,tc,td,te(s):"};
inline const lines file_name = {"", " Enter a Seed Acceleration for OUTPUT"};
inline lines dialogue() {
  return number + grid + corners + file_name;
}
}  // namespace seed

// Four samples at 0.01 s: nt = 4, nf = 4, two table rows at 0.02 s and 0.04 s, whose targets
// are 320 + 3000 T = 380 and 440 gal.
inline const std::string four_samples =
    "time(sec),Acc(gal)\r\n0.00,1.0\r\n0.01,2.0\r\n0.02,-1.0\r\n0.03,0.5\r\n";
inline const std::string four_samples_nt = " NT and DT= 4  0.00999999978";

// A long wave of n samples at 0.005 s, so that the fitting loop runs for a while.
inline std::string long_wave(int n) {
  std::string s = " time(sec),seed-Acc(gal)\r\n";
  char row[48];
  for (int i = 0; i < n; ++i) {
    const int a = (i * 7919) % 2001 - 1000;
    std::snprintf(row, sizeof row, "%8.3f,%6d.0\r\n", i * 0.005, a);
    s += row;
  }
  return s;
}

// The records of a file, CR LF removed; every line must end in CR LF.
inline lines records(const std::string& text) {
  lines r;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t lf = text.find('\n', start);
    EXPECT_TRUE(lf != std::string::npos && lf > start && text[lf - 1] == '\r')
        << "record " << r.size() + 1 << " does not end in CR LF";
    if (lf == std::string::npos) break;
    r.push_back(text.substr(start, lf - 1 - start));
    start = lf + 1;
  }
  return r;
}

// Plain checks of field shapes (std::regex trips false warnings of GCC 12 under sanitizers).
inline bool is_digits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// An E12.4 field of a finite value: a blank, the sign place, "0.", four digits, "E" and a signed
// two-digit exponent.
inline bool is_e124(std::string_view f) {
  return f.size() == 12 && f[0] == ' ' && (f[1] == ' ' || f[1] == '-') && f.substr(2, 2) == "0." &&
         is_digits(f.substr(4, 4)) && f[8] == 'E' && (f[9] == '+' || f[9] == '-') &&
         is_digits(f.substr(10, 2));
}

// An Fw.d field of a value from 0 up: blanks, digits, the point and d decimals.
inline bool is_f(std::string_view f, std::size_t w, std::size_t d) {
  const std::size_t first = f.find_first_not_of(' ');
  return f.size() == w && first != std::string_view::npos && first + d + 2 <= w &&
         is_digits(f.substr(first, w - d - 1 - first)) && f[w - d - 1] == '.' &&
         is_digits(f.substr(w - d));
}

// A record of an F field, then n E12.4 fields each after a comma, and a final comma if asked.
inline bool is_row(std::string_view r, std::size_t w, std::size_t d, std::size_t n,
                   bool final_comma) {
  if (r.size() != w + 13 * n + (final_comma ? 1 : 0) || !is_f(r.substr(0, w), w, d)) return false;
  for (std::size_t k = 0; k < n; ++k) {
    if (r[w + 13 * k] != ',' || !is_e124(r.substr(w + 13 * k + 1, 12))) return false;
  }
  return !final_comma || r.back() == ',';
}

inline int count_of(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The names in a directory, sorted.
inline std::vector<std::string> names_in(const std::filesystem::path& dir) {
  std::vector<std::string> v;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    v.push_back(e.path().filename().string());
  std::sort(v.begin(), v.end());
  return v;
}

// Runs that meet file permissions go as an ordinary user (see watch::unprivileged) in a
// directory open to everyone.
inline watch unprivileged() {
  watch w;
  w.unprivileged = true;
  return w;
}
inline void open_to_everyone(const std::filesystem::path& dir) {
  std::filesystem::permissions(dir, std::filesystem::perms::all);
}

// The outcome every fatal report ends in: the abort, no exit status.
inline void expect_abort(const run_result& r) {
  EXPECT_FALSE(r.hung);
  EXPECT_EQ(r.status, -1);
  EXPECT_EQ(r.signal, SIGABRT);
}

}  // namespace e2e
