#include "wavetool/command_line.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "motion/criteria.h"
#include "operations/check.h"
#include "operations/spectrum_keys.h"
#include "operations/wave_file.h"
#include "waveio/text_fields.h"
#include "wavetool/commands.h"

namespace wavetool {
namespace {

std::string found(std::string_view what, const std::string& text) {
  return "expected " + std::string(what) + ", found " + waveio::quoted(text);
}

// The option library's kind of error (its names are not its kinds: ExtrasError takes the
// subcommand's name).
template <typename kind>
bool is(const CLI::Error& e) {
  return dynamic_cast<const kind*>(&e) != nullptr;
}

// The subcommand the command line reached (the application itself when none).
const CLI::App& reached(const CLI::App& app) {
  const CLI::App* sub = &app;
  while (!sub->get_subcommands().empty()) sub = sub->get_subcommands().front();
  return *sub;
}

std::string subcommand_list(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
    names.push_back(sub->get_name());
  return waveio::choice_list(names);
}

std::string option_help(const CLI::Option& o) {
  return o.get_description().empty() ? std::string() : ": " + o.get_description();
}

std::string missing_option(const CLI::App& sub) {
  for (const CLI::Option* o : sub.get_options()) {
    if (o->get_required() && o->count() == 0) {
      return sub.get_name() + ": " + o->get_name() + " is required" + option_help(*o);
    }
  }
  return {};
}

std::string excluded_pair(const CLI::App& sub) {
  for (const CLI::Option* o : sub.get_options()) {
    if (o->count() == 0) continue;
    for (const CLI::Option* other : o->get_excludes()) {
      if (other->count() > 0) {
        return o->get_name() + " and " + other->get_name() + ": give one of them, not both";
      }
    }
  }
  return {};
}

// The option an error names first ("--scale: ..."), when the subcommand has it.
const CLI::Option* named_option(const CLI::App& sub, const std::string& what) {
  const std::size_t colon = what.find(':');
  if (colon == std::string::npos || !what.starts_with('-')) return nullptr;
  return sub.get_option_no_throw(what.substr(0, colon));
}

}  // namespace

void refuse_empty_values(CLI::App& app) {
  const CLI::Validator not_empty(
      [](std::string& text) {
        return text.empty() ? std::string("expected a value, found \"\" (an empty value)")
                            : std::string();
      },
      "");
  for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
    for (CLI::Option* o : sub->get_options()) {
      if (o->get_expected_min() > 0) o->check(not_empty);
    }
    refuse_empty_values(*sub);
  }
}

std::string usage_message(const CLI::App& app, const CLI::Error& e) {
  const CLI::App& sub = reached(app);
  const std::string what = e.what();
  const std::string name = sub.get_name();
  if (is<CLI::ValidationError>(e)) return what;  // wavetool's own checks give every such text
  if (&sub == &app) {
    const std::vector<std::string> extra = app.remaining();
    return "expected a subcommand: " + subcommand_list(app) +
           (extra.empty() ? std::string() : ", found " + waveio::quoted(extra.front()));
  }
  std::string told;
  if (is<CLI::RequiredError>(e)) told = missing_option(sub);
  if (is<CLI::ExcludesError>(e)) told = excluded_pair(sub);
  // Only the words of the command line are taken from these errors' texts, after their last
  // ": " (the extra arguments) or between ": " and " = " (a switch given a value).
  if (is<CLI::ExtrasError>(e)) {
    const std::string extra = what.substr(what.rfind(": ") + 2);
    told = name + ": " + waveio::quoted(extra.substr(0, extra.find(' '))) +
           " is not an option or argument of " + name;
  }
  if (is<CLI::ConversionError>(e)) {
    const std::size_t from = what.find(": "), to = what.find(" = ");
    if (from != std::string::npos && to != std::string::npos && to > from) {
      told = what.substr(from + 2, to - from - 2) + ": a switch takes no value, found " +
             waveio::quoted(what.substr(to + 3));
    }
  }
  if (is<CLI::ArgumentMismatch>(e)) {
    if (const CLI::Option* o = named_option(sub, what)) {
      told = o->get_name() + ": expected a value" + option_help(*o);
    }
  }
  if (!told.empty()) return told;
  return name + ": the command line could not be read; 'wavetool " + name +
         " --help' shows its options";
}

int bad_input(const files::file_error& e) {
  std::cerr << describe(e) << '\n';
  return exit_bad_input;
}

CLI::Validator whole_in(std::int64_t lo, std::int64_t hi) {
  return CLI::Validator(
      [lo, hi](std::string& text) {
        const auto v = parse_whole(text);
        if (v && *v >= lo && *v <= hi) return std::string();
        return found("a whole number from " + std::to_string(lo) + " to " + std::to_string(hi),
                     text);
      },
      "");
}

CLI::Validator word_in(std::vector<std::string> set) {
  const std::string listed = waveio::choice_list(set);
  return CLI::Validator(
      [set, listed](std::string& text) {
        for (const std::string& w : set) {
          if (text == w) return std::string();
        }
        return found(listed, text);
      },
      "");
}

CLI::Validator real_with(std::string what, std::function<bool(double)> ok) {
  return CLI::Validator(
      [what, ok](std::string& text) {
        const auto v = parse_real(text);
        return v && ok(*v) ? std::string() : found(what, text);
      },
      "");
}

void add_spectrum_options(CLI::App& sub, spectrum_keys& keys) {
  for (const spectrum_key& k : spectrum_key_table()) {
    const std::string key(k.name);
    sub.add_option_function<std::string>(
           "--" + key, [&keys, key](const std::string& v) { keys[key] = v; }, k.help)
        ->group("Design spectrum");
  }
}

std::string criteria_help() {
  std::string s =
      "Waves are accelerations in gal (cm/s2) at the step of their time column (s).\n"
      "The target is the 5 %-damped design spectrum of the engineering bedrock\n"
      "(Notification No. 1461) unless the design spectrum options name another, at\n"
      "its damping and with --window for criteria 1, 3 and 4, judged at the grid\n"
      "periods of the wave's transform:\n";
  for (std::size_t k = 0; k < motion::criteria_count; ++k) {
    const motion::criterion_rule& rule = motion::criteria_rules[k];
    char line[160];
    std::snprintf(line, sizeof line, "  criterion %zu  %-36s %-7s over %s..%s s\n", k + 1,
                  std::string(rule.what).c_str(), limit_text(rule).c_str(),
                  shortest_text(rule.window.shortest).c_str(),
                  shortest_text(rule.window.longest).c_str());
    s += line;
  }
  return s;
}

}  // namespace wavetool
