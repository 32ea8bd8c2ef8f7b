// The rules every subcommand's command line follows, kept in one place: how an option's text is
// checked, that an empty value is never taken as a default or zero, and how a usage error is
// told in wavetool's words (never the option library's own).
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operations/option_numbers.h"
#include "operations/spectrum_request.h"

namespace wavetool {

// Adds to every option of every subcommand of app that takes a value the check that the value
// is not empty: `--scale ""` is a usage error, never a factor of 0 or the default.
void refuse_empty_values(CLI::App& app);

// One line (without "wavetool: ") that says what was wrong with the command line, naming the
// option and what it accepts; app is the application that was parsed.
std::string usage_message(const CLI::App& app, const CLI::Error& e);

// Checks of an option's text, each with the message "expected WHAT, found \"TEXT\"":
// a whole number from lo to hi;
CLI::Validator whole_in(std::int64_t lo, std::int64_t hi);
// one of the words;
CLI::Validator word_in(std::vector<std::string> words);
// a number (the text layer's scanner, finite) for which ok holds, described by what.
CLI::Validator real_with(std::string what, std::function<bool(double)> ok);

// Adds the options --spectrum ... --window to a subcommand; each one given is stored in keys,
// which must outlive the parse.
void add_spectrum_options(CLI::App& sub, spectrum_keys& keys);

// For --help: the unit, the target and the criteria with their limits and windows.
std::string criteria_help();

}  // namespace wavetool
