#include "suite/plan_values.h"

#include <algorithm>
#include <cmath>

#include "waveio/text_fields.h"

namespace wavetool::plan_values {

int line_of(const toml::node& n) {
  return static_cast<int>(n.source().begin.line);
}

bool checker::fail(int line, std::string message) {
  if (!error || (line > 0 && line < error->line)) {
    error = files::file_error{file.string(), line, std::move(message)};
  }
  return false;
}

bool is_number(const toml::node& n) {
  return n.is_integer() || n.is_floating_point();
}
double number(const toml::node& n) {
  return n.is_integer() ? static_cast<double>(n.as_integer()->get()) : n.as_floating_point()->get();
}

std::optional<std::string> text_in(checker& c, std::string_view key, const toml::node& n,
                                   const std::vector<std::string>& set) {
  if (!n.is_string()) {
    c.fail(line_of(n), std::string(key) + ": expected a text in double quotes");
    return std::nullopt;
  }
  std::string s = n.as_string()->get();
  if (set.size() != 0 && std::find(set.begin(), set.end(), s) == set.end()) {
    std::string all;
    for (std::string_view v : set) all += (all.empty() ? "" : ", ") + std::string(v);
    c.fail(line_of(n),
           std::string(key) + ": expected one of " + all + ", found " + waveio::quoted(s));
    return std::nullopt;
  }
  return s;
}

std::optional<std::int64_t> integer_in(checker& c, std::string_view key, const toml::node& n,
                                       std::int64_t lo, std::int64_t hi) {
  if (!n.is_integer() || n.as_integer()->get() < lo || n.as_integer()->get() > hi) {
    c.fail(line_of(n), std::string(key) + ": expected an integer from " + std::to_string(lo) +
                           " to " + std::to_string(hi));
    return std::nullopt;
  }
  return n.as_integer()->get();
}

std::optional<double> real_in(checker& c, std::string_view key, const toml::node& n,
                              const std::function<bool(double)>& ok, std::string_view what) {
  if (!is_number(n) || !ok(number(n))) {
    c.fail(line_of(n), std::string(key) + ": expected " + std::string(what));
    return std::nullopt;
  }
  return number(n);
}

std::optional<std::vector<double>> numbers(checker& c, std::string_view key, const toml::node& n,
                                           std::size_t count, std::string_view what) {
  const toml::array* a = n.as_array();
  std::vector<double> v;
  if (a && a->size() == count) {
    for (const toml::node& x : *a) {
      if (is_number(x)) v.push_back(number(x));
    }
  }
  if (v.size() != count) {
    c.fail(line_of(n), std::string(key) + ": expected " + std::string(what));
    return std::nullopt;
  }
  return v;
}

bool positive(double x) {
  return x > 0.0 && std::isfinite(x);
}

files::file_error syntax_fault(const toml::parse_error& e, const std::filesystem::path& file) {
  std::string message(e.description());
  std::replace_if(
      message.begin(), message.end(), [](char ch) { return ch >= 0 && ch < ' '; }, ' ');
  return {file.string(), static_cast<int>(e.source().begin.line), message};
}

// A name becomes a folder or a file name: letters, digits, '-', '_' and '.', not first.
bool file_name_like(std::string_view s) {
  if (s.empty() || s.size() > 100 || s[0] == '.') return false;
  return std::all_of(s.begin(), s.end(), [](char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == '-' || ch == '_' || ch == '.';
  });
}

std::string name_of_table(checker& c, const toml::table& t, std::string_view what) {
  const toml::node* n = t.get("name");
  if (!n) {
    c.fail(line_of(t), std::string(what) + ": expected a name");
    return {};
  }
  const auto s = text_in(c, "name", *n, {});
  if (s && !file_name_like(*s)) {
    c.fail(line_of(*n), "name: expected letters, digits, '-', '_' or '.' (not first), found " +
                            waveio::quoted(*s));
  }
  return s.value_or("");
}

const toml::array* tables_of(checker& c, const toml::table& root, std::string_view key) {
  const toml::node* n = root.get(key);
  if (!n) return nullptr;
  if (!n->is_array_of_tables()) {
    c.fail(line_of(*n), std::string(key) + ": expected [[" + std::string(key) + "]] tables");
    return nullptr;
  }
  return n->as_array();
}

}  // namespace wavetool::plan_values
