// What the two programs show and read, written out for the tests: their console transcripts
// prompt by prompt, the fatal-error report, input wave files, and the records of a file.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

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

// A wave file in fitwave's input layout: a header, then n records of time (step dt) and
// acceleration acc(i).
inline std::string wave_file(int n, double dt, const std::function<double(int)>& acc) {
  std::string s = " time(sec),seed-Acc(gal)\r\n";
  char row[64];
  for (int i = 0; i < n; ++i) {
    std::snprintf(row, sizeof row, "%8.4f,%.2f\r\n", i * dt, acc(i));
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

}  // namespace testsupport
