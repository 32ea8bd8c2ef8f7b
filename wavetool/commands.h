// The subcommands of wavetool. Each adds itself to the application with its options and a
// callback that runs it and stores its exit status in status: 0 done, 1 bad input (one line on
// standard error). Usage errors are CLI11's and end with status 2 in main.
#pragma once

#include <CLI/CLI.hpp>

#include "files/file_error.h"

namespace wavetool {

inline constexpr int exit_bad_input = 1;
inline constexpr int exit_usage = 2;
// A fit, or a fit of a suite, did not pass within its iteration limit; its files are written.
inline constexpr int exit_not_passed = 3;

// Tells the failure on standard error, as one line naming the file and line, and gives the
// status of bad input: the one way a subcommand stops on an input it cannot use.
int bad_input(const files::file_error& e);

// The program and its version, as --version prints it and the report names it.
inline constexpr const char* version = "wavetool 1.0";

void add_import_command(CLI::App& app, int& status);
void add_check_command(CLI::App& app, int& status);
void add_fit_command(CLI::App& app, int& status);
void add_target_command(CLI::App& app, int& status);
void add_seed_command(CLI::App& app, int& status);
void add_export_command(CLI::App& app, int& status);
void add_site_command(CLI::App& app, int& status);
void add_scale_command(CLI::App& app, int& status);
// program: the path the program was started with, for the commands --list prints.
void add_suite_command(CLI::App& app, int& status, const std::string& program);

}  // namespace wavetool
