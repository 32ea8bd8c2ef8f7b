// Shared pieces of the end-to-end tests: the programs, small waves whose results are known by
// hand, and the shapes of the fields in the result files.
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
#include "transcripts.h"

namespace e2e {

inline const std::filesystem::path fitwave = GM_FITWAVE_PATH;
inline const std::filesystem::path seedwave = GM_SEEDWAVE_PATH;

using namespace testsupport;

// Four samples at 0.01 s: nt = 4, nf = 4, two table rows at 0.02 s and 0.04 s, whose targets
// are 320 + 3000 T = 380 and 440 gal.
inline const std::string four_samples =
    "time(sec),Acc(gal)\r\n0.00,1.0\r\n0.01,2.0\r\n0.02,-1.0\r\n0.03,0.5\r\n";
inline const std::string four_samples_nt = " NT and DT= 4  0.00999999978";

// A long wave of n samples at 0.005 s, so that the fitting loop runs for a while.
inline std::string long_wave(int n) {
  return wave_file(n, 0.005, [](int i) { return (i * 7919) % 2001 - 1000.0; });
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
