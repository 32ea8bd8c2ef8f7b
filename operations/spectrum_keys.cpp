#include "operations/spectrum_keys.h"

#include <algorithm>

#include "operations/spectrum_request.h"
#include "waveio/text_fields.h"

namespace wavetool {
namespace {

using motion::spectrum_kind;
using waveio::short_text;

// "bedrock, surface: " before the help of a key that only some spectra take.
std::string kinds_prefix(std::span<const spectrum_kind> kinds) {
  std::string prefix;
  for (const std::string& name : kind_names(kinds)) prefix += (prefix.empty() ? "" : ", ") + name;
  return prefix.empty() ? prefix : prefix + ": ";
}

spectrum_key key(std::string_view name, std::vector<spectrum_kind> kinds, key_form form,
                 const std::string& what, key_value (*value)(const spectrum_request&)) {
  const std::string help = kinds_prefix(kinds) + what;
  return {name, std::move(kinds), form, help, value};
}

std::vector<spectrum_key> make_table() {
  using enum spectrum_kind;
  const motion::design_spectrum defaults;
  const std::vector<std::string> levels = word_list(level_words);
  return {
      key("spectrum", {}, key_form::word,
          waveio::choice_list(kind_names(spectrum_kinds)) + " (default " +
              motion::kind_name(spectrum_kinds[0]) + ")",
          [](const spectrum_request& r) -> key_value {
            return motion::kind_name(r.spectrum.kind);
          }),
      key("level", {bedrock, surface}, key_form::word,
          waveio::choice_list(levels) + " (1/5), default " + levels[0],
          [](const spectrum_request& r) -> key_value {
            return std::string(level_words[static_cast<std::size_t>(r.spectrum.level)]);
          }),
      key("zone", {bedrock, surface}, key_form::number,
          "regional factor Z, " + zone_range() + ", default " + short_text(defaults.zone),
          [](const spectrum_request& r) -> key_value { return r.spectrum.zone; }),
      key("soil", {surface}, key_form::whole,
          "ground class " + waveio::choice_list(word_list(soil_words)) + " (required there)",
          [](const spectrum_request& r) -> key_value { return r.spectrum.soil; }),
      key("damping", {}, key_form::number,
          "damping ratio of the spectrum and oscillators, " + damping_range() + ", default " +
              short_text(motion::default_damping),
          [](const spectrum_request& r) -> key_value { return r.spectrum.damping; }),
      key("ec8-type", {ec8}, key_form::whole,
          "spectrum type " + waveio::choice_list(word_list(ec8_type_words)),
          [](const spectrum_request& r) -> key_value { return r.spectrum.ec8_type; }),
      key("ground", {ec8}, key_form::word,
          "ground class " + waveio::choice_list(word_list(ground_words)),
          [](const spectrum_request& r) -> key_value { return std::string(1, r.spectrum.ground); }),
      key("ag", {ec8}, key_form::number, "design ground acceleration (g)",
          [](const spectrum_request& r) -> key_value { return r.spectrum.ag; }),
      key("sds", {asce7}, key_form::number, "SDS (g)",
          [](const spectrum_request& r) -> key_value { return r.spectrum.sds; }),
      key("sd1", {asce7}, key_form::number, "SD1 (g)",
          [](const spectrum_request& r) -> key_value { return r.spectrum.sd1; }),
      key("tl", {asce7}, key_form::number, "long-period transition period TL (s)",
          [](const spectrum_request& r) -> key_value { return r.spectrum.tl; }),
      key("table", {table}, key_form::word, "FILE of period (s) and Sa (gal) per line",
          [](const spectrum_request& r) -> key_value { return r.spectrum.table_name; }),
      key("window", {}, key_form::two_periods,
          "TMIN,TMAX (s) of criteria 1, 3 and 4, default " +
              short_text(motion::default_window_min) + "," + short_text(motion::default_window_max),
          [](const spectrum_request& r) -> key_value {
            return std::array<double, 2>{r.window_min, r.window_max};
          }),
  };
}

std::string plan_spelling(std::string_view name) {
  std::string spelled(name);
  std::replace(spelled.begin(), spelled.end(), '-', '_');
  return spelled;
}

}  // namespace

std::vector<std::string> kind_names(std::span<const spectrum_kind> kinds) {
  std::vector<std::string> names;
  for (const spectrum_kind k : kinds) names.emplace_back(motion::kind_name(k));
  return names;
}

std::vector<std::string> word_list(std::span<const std::string_view> words) {
  return {words.begin(), words.end()};
}

std::string zone_range() {
  return "0 < Z <= " + short_text(motion::zone_max);
}
std::string damping_range() {
  return "0 < H < 1";
}

std::span<const spectrum_key> spectrum_key_table() {
  static const std::vector<spectrum_key> table = make_table();
  return table;
}

const spectrum_key* plan_spectrum_key(std::string_view plan_name) {
  for (const spectrum_key& k : spectrum_key_table()) {
    if (plan_spelling(k.name) == plan_name) return &k;
  }
  return nullptr;
}

bool takes(const spectrum_key& key, spectrum_kind k) {
  return key.kinds.empty() || std::ranges::find(key.kinds, k) != key.kinds.end();
}

std::vector<std::pair<std::string, key_value>> described_keys(const spectrum_request& r) {
  std::vector<std::pair<std::string, key_value>> keys;
  const auto add = [&](const spectrum_key& k) {
    keys.emplace_back(plan_spelling(k.name), k.value(r));
  };
  const std::span<const spectrum_key> table = spectrum_key_table();
  add(table.front());  // the spectrum itself
  for (const spectrum_key& k : table) {
    if (!k.kinds.empty() && takes(k, r.spectrum.kind)) add(k);
  }
  for (const spectrum_key& k : table.subspan(1)) {
    if (k.kinds.empty()) add(k);
  }
  return keys;
}

}  // namespace wavetool
