// Runs a program with arguments, as a script does: standard input from a string, both console
// streams and the exit status captured.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "run_program.h"

namespace wavetool_test {

testsupport::run_result run_command(const std::filesystem::path& program,
                                    const std::vector<std::string>& args,
                                    const std::filesystem::path& cwd, std::string_view input = {});

}  // namespace wavetool_test
