// Runs a program with arguments, as a script does: standard input from a string, both console
// streams and the exit status captured.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "run_program.h"

namespace wavetool_test {

// What every usage error ends with, after its one line.
inline const std::string usage_hint = "\nRun 'wavetool --help' for the usage.\n";

// How many entries a folder holds: a refused command leaves none behind.
inline std::size_t files_in(const std::filesystem::path& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                std::filesystem::directory_iterator()));
}

testsupport::run_result run_command(const std::filesystem::path& program,
                                    const std::vector<std::string>& args,
                                    const std::filesystem::path& cwd, std::string_view input = {});

}  // namespace wavetool_test
