// A scratch folder with a small design set for the suite's end-to-end tests: one target, the
// golden seed 1 as a record, and the helpers that read back what the suite wrote.
#pragma once

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "run_command.h"
#include "run_program.h"

namespace suite_test {

namespace fs = std::filesystem;
using testsupport::read_file;
using testsupport::run_result;
using testsupport::scratch_dir;
using testsupport::write_file;

inline const fs::path wavetool = GM_WAVETOOL_PATH;

// Seed 1 fitted to the bedrock spectrum: it passes in a few iterations.
inline constexpr std::string_view one_fit_plan = R"([[target]]
name = "t"

[[wave]]
name = "seed1"
record = "seed1.csv"
format = "columns"
)";

inline void prepare(const scratch_dir& d, std::string_view plan = one_fit_plan) {
  fs::copy_file(GM_GOLDEN_DIR "/seed1.csv", d / "seed1.csv");
  write_file(d / "plan.toml", plan);
}

inline run_result run(const fs::path& cwd, const std::vector<std::string>& args) {
  return wavetool_test::run_command(wavetool, args, cwd);
}

// Every file under dir by its path relative to dir, with its bytes; links are not followed.
inline std::map<std::string, std::string> tree(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    if (e.is_symlink()) {
      files[fs::relative(e.path(), dir).string()] = "-> " + fs::read_symlink(e.path()).string();
    } else if (e.is_regular_file()) {
      files[fs::relative(e.path(), dir).string()] = read_file(e.path());
    }
  }
  return files;
}

inline std::vector<std::string> names_in(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : tree(dir)) names.push_back(name);
  return names;
}

inline std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Whether text matches pattern, where each '*' in the pattern stands for any run of characters.
inline bool matches(std::string_view text, std::string_view pattern) {
  const std::size_t star = pattern.find('*');
  if (star == std::string_view::npos) return text == pattern;
  if (!text.starts_with(pattern.substr(0, star))) return false;
  const std::string_view rest = pattern.substr(star + 1);
  for (std::size_t from = star; from <= text.size(); ++from) {
    if (matches(text.substr(from), rest)) return true;
  }
  return false;
}

}  // namespace suite_test
