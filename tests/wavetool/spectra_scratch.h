// The commands of the spectra's end-to-end tests, run in a scratch folder, and the site table
// they share.
#pragma once

#include <algorithm>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "run_command.h"
#include "run_program.h"

namespace spectra_test {

using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;

inline constexpr double pi = std::numbers::pi;
inline constexpr double g = 980.665;  // gal

// The program with the blank-separated arguments, run in dir.
inline testsupport::run_result wavetool(const scratch_dir& dir, const std::string& args) {
  std::vector<std::string> words;
  std::istringstream in(args);
  for (std::string w; in >> w;) words.push_back(w);
  return wavetool_test::run_command(GM_WAVETOOL_PATH, words, dir.path());
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

inline std::vector<std::string> files_in(const std::filesystem::path& dir) {
  std::vector<std::string> n;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    n.push_back(e.path().filename().string());
  std::sort(n.begin(), n.end());
  return n;
}

// The site table of the tests: 0.1 s 500 gal, 1 s 1000 gal, 2 s 250 gal.
inline constexpr std::string_view site_table =
    "# site study\n0.1 500\n1.0,1000  # peak\n\n2.0\t250\n";

}  // namespace spectra_test
