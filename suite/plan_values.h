// The checks of a plan's values, one TOML node at a time: each failure is kept with its line and
// the first line wins; a value that fails gives nothing.
#pragma once

#include <toml++/toml.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_error.h"
#include "waveio/text_fields.h"

namespace wavetool::plan_values {

int line_of(const toml::node& n);

// The checks of one plan: the first failure is kept, with its line.
struct checker {
  const std::filesystem::path& file;
  std::optional<files::file_error> error;

  // Keys come in name order, not in the order of the lines: the earliest line is told.
  bool fail(int line, std::string message);
};

bool is_number(const toml::node& n);
double number(const toml::node& n);

// A text out of its set, or any text when the set is empty.
std::optional<std::string> text_in(checker& c, std::string_view key, const toml::node& n,
                                   const std::vector<std::string>& set);
std::optional<std::int64_t> integer_in(checker& c, std::string_view key, const toml::node& n,
                                       std::int64_t lo, std::int64_t hi);
// A number that passes ok, described by what for the message.
std::optional<double> real_in(checker& c, std::string_view key, const toml::node& n,
                              const std::function<bool(double)>& ok, std::string_view what);
// count numbers in a list.
std::optional<std::vector<double>> numbers(checker& c, std::string_view key, const toml::node& n,
                                           std::size_t count, std::string_view what);
bool positive(double x);

// A file the TOML parser refused, told on one line at the line where it stopped (the parser's
// own text can quote the line break it stopped at).
files::file_error syntax_fault(const toml::parse_error& e, const std::filesystem::path& file);

// A name becomes a folder or a file name: letters, digits, '-', '_' and '.', not first.
bool file_name_like(std::string_view s);
// The name of a [[target]], [[wave]] or [[site]] table (what), checked as a file name.
std::string name_of_table(checker& c, const toml::table& t, std::string_view what);
// [[key]] tables of root, or nothing when there are none.
const toml::array* tables_of(checker& c, const toml::table& root, std::string_view key);

// Refuses a second item of a name already given.
template <class Item>
void refuse_twins(checker& c, const std::vector<Item>& items, std::string_view what) {
  std::map<std::string, int> first;
  for (const Item& x : items) {
    const auto [at, fresh] = first.emplace(x.name, x.line);
    if (!fresh) {
      c.fail(x.line, "a second " + std::string(what) + " named " + waveio::quoted(x.name) +
                         " (the first at line " + std::to_string(at->second) + ")");
    }
  }
}

}  // namespace wavetool::plan_values
