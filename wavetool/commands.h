// The subcommands of wavetool. Each adds itself to the application with its options and a
// callback that runs it and stores its exit status in status: 0 done, 1 bad input (one line on
// standard error). Usage errors are CLI11's and end with status 2 in main.
#pragma once

#include <CLI/CLI.hpp>

namespace wavetool {

inline constexpr int exit_bad_input = 1;
inline constexpr int exit_usage = 2;

void add_import_command(CLI::App& app, int& status);
void add_check_command(CLI::App& app, int& status);
void add_fit_command(CLI::App& app, int& status);
void add_target_command(CLI::App& app, int& status);
void add_seed_command(CLI::App& app, int& status);

}  // namespace wavetool
