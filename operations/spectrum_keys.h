// The keys that name a design spectrum: one table that drives the command line's options and
// their help, the keys a plan takes and their types, the check of which spectrum takes which
// key, and the keys a result file writes.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "motion/design_spectrum.h"

namespace wavetool {

struct spectrum_request;

// How a plan writes a key's value; the command line gives each one as text.
enum class key_form { word, whole, number, two_periods };

// A key's value in a checked request, as a result file writes it.
using key_value = std::variant<std::string, int, double, std::array<double, 2>>;

struct spectrum_key {
  std::string_view name;  // after "--" on the command line; a plan writes '_' for '-'
  std::vector<motion::spectrum_kind> kinds;  // the spectra that take it; empty: every spectrum
  key_form form;
  std::string help;  // what it is, with its range and default, for --help
  key_value (*value)(const spectrum_request& r);
};

// Every key, in the order --help lists them.
std::span<const spectrum_key> spectrum_key_table();
// The key a plan spells with '_' for '-' ("ec8_type"), or nullptr.
const spectrum_key* plan_spectrum_key(std::string_view plan_name);
// Whether spectrum kind k takes the key.
bool takes(const spectrum_key& key, motion::spectrum_kind k);

// Every spectrum, in the order the options list them; the first is the default.
inline constexpr std::array<motion::spectrum_kind, 5> spectrum_kinds{
    motion::spectrum_kind::bedrock, motion::spectrum_kind::surface, motion::spectrum_kind::ec8,
    motion::spectrum_kind::asce7, motion::spectrum_kind::table};
// The names of kinds of spectrum, as the command line gives them.
std::vector<std::string> kind_names(std::span<const motion::spectrum_kind> kinds);

// The words a key takes: the levels in the order of motion::spectrum_level, then the classes of
// the surface's soil, of Eurocode 8's spectrum type and ground, each from its first.
inline constexpr std::array<std::string_view, 2> level_words{"extreme", "rare"};
inline constexpr std::array<std::string_view, 3> soil_words{"1", "2", "3"};
inline constexpr std::array<std::string_view, 2> ec8_type_words{"1", "2"};
inline constexpr std::array<std::string_view, 5> ground_words{"A", "B", "C", "D", "E"};
// Such words as a list to choose from.
std::vector<std::string> word_list(std::span<const std::string_view> words);
// The ranges the checks of zone and damping take, as their messages and help tell them.
std::string zone_range();
std::string damping_range();

// The keys that describe a checked request with their values, as a plan names them: the
// spectrum first, then the keys of its kind, then the keys of every spectrum.
std::vector<std::pair<std::string, key_value>> described_keys(const spectrum_request& r);

}  // namespace wavetool
