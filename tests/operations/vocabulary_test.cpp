// The vocabularies every front end shares: the spectrum's keys as a result file writes them, the
// export layouts, the periods a spectrum is printed and drawn at, and the reading of numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "operations/export.h"
#include "operations/option_numbers.h"
#include "operations/spectrum_keys.h"
#include "operations/spectrum_request.h"
#include "waveio/text_fields.h"

namespace {

// A key's value as the command line would type it.
std::string typed(const wavetool::key_value& v) {
  if (const auto* text = std::get_if<std::string>(&v)) return *text;
  if (const auto* whole = std::get_if<int>(&v)) return std::to_string(*whole);
  if (const auto* real = std::get_if<double>(&v)) return waveio::shortest_text(*real);
  const auto& pair = std::get<std::array<double, 2>>(v);
  return waveio::shortest_text(pair[0]) + "," + waveio::shortest_text(pair[1]);
}

TEST(spectrum_keys, what_a_result_file_writes_reads_back_as_the_same_spectrum) {
  const wavetool::spectrum_keys rows[] = {
      {{"level", "rare"}, {"zone", "0.8"}, {"damping", "0.03"}, {"window", "0.05,5"}},
      {{"spectrum", "surface"}, {"soil", "3"}, {"zone", "1.2"}},
      {{"spectrum", "ec8"}, {"ec8-type", "2"}, {"ground", "C"}, {"ag", "0.25"}},
      {{"spectrum", "asce7"}, {"sds", "1.1"}, {"sd1", "0.6"}, {"tl", "8"}},
      {{"spectrum", "table"}, {"table", "sa.txt"}, {"damping", "0.1"}},
  };
  for (const wavetool::spectrum_keys& keys : rows) {
    const wavetool::spectrum_choice given = wavetool::spectrum_from_keys(keys, "");
    ASSERT_TRUE(given.ok()) << given.error;
    const auto described = wavetool::described_keys(given.request);
    ASSERT_FALSE(described.empty());
    EXPECT_EQ(described.front().first, "spectrum");
    wavetool::spectrum_keys again;
    for (const auto& [plan_name, value] : described) {
      const wavetool::spectrum_key* key = wavetool::plan_spectrum_key(plan_name);
      ASSERT_NE(key, nullptr) << plan_name;
      again[std::string(key->name)] = typed(value);
    }
    // Every key given is written (with the defaults of the others that the spectrum takes).
    for (const auto& [name, text] : keys) EXPECT_TRUE(again.contains(name)) << name;
    const wavetool::spectrum_choice read = wavetool::spectrum_from_keys(again, "");
    ASSERT_TRUE(read.ok()) << read.error;
    const auto fields = [](const wavetool::spectrum_request& r) {
      const motion::design_spectrum& s = r.spectrum;
      return std::tuple(s.kind, s.level, s.zone, s.soil, s.ec8_type, s.ground, s.ag, s.sds, s.sd1,
                        s.tl, s.table_name, s.damping, r.window_min, r.window_max);
    };
    EXPECT_EQ(fields(read.request), fields(given.request));
  }
}

TEST(spectrum_keys, a_plan_spells_each_key_with_underscores_only) {
  EXPECT_NE(wavetool::plan_spectrum_key("ec8_type"), nullptr);
  EXPECT_EQ(wavetool::plan_spectrum_key("ec8-type"), nullptr);
  EXPECT_EQ(wavetool::plan_spectrum_key("colour"), nullptr);
}

TEST(export_layouts, each_name_reads_back_and_no_other_name_is_a_layout) {
  std::vector<std::string_view> extensions;
  for (const auto& e : wavetool::export_layouts) {
    EXPECT_EQ(wavetool::layout_of(e.name), e.value);
    EXPECT_EQ(wavetool::layout_name(e.value), e.name);
    extensions.push_back(wavetool::export_extension(e.value));
  }
  std::ranges::sort(extensions);
  EXPECT_EQ(std::ranges::adjacent_find(extensions), extensions.end());
  // An unknown name was once written as columns without a word.
  for (const char* name : {"", "Columns", "csv", "at2 "}) {
    EXPECT_FALSE(wavetool::layout_of(name).has_value()) << name;
  }
  EXPECT_FALSE(wavetool::history_of("speed").has_value());
  EXPECT_EQ(wavetool::history_of("velocity"), wavetool::history::velocity);
  const wavetool::export_request x{wavetool::export_layout::columns,
                                   wavetool::history::displacement, 2.5};
  EXPECT_EQ(wavetool::export_quantity(x), "displacement(cm) times 2.5");
}

TEST(window_periods, evenly_spaced_in_log_with_both_ends_exact) {
  const std::vector<double> t = wavetool::window_periods(0.02, 10.0);
  ASSERT_EQ(t.size(), 200u);
  EXPECT_EQ(t.front(), 0.02);
  EXPECT_EQ(t.back(), 10.0);
  // T_k = 0.02 * 500^(k/199), by another road than the code's exponential of a step.
  for (std::size_t k = 0; k < t.size(); ++k) {
    const double expected = 0.02 * std::pow(500.0, static_cast<double>(k) / 199.0);
    EXPECT_NEAR(t[k], expected, 1e-13 * expected) << k;
  }
  EXPECT_EQ(wavetool::window_periods(1.0, 2.0, 2), (std::vector<double>{1.0, 2.0}));
}

TEST(option_numbers, one_reading_for_every_option_and_key) {
  struct row {
    const char* text;
    std::optional<double> value;
  };
  const row reals[] = {
      {"1.5", 1.5},
      {"1.5D0", 1.5},
      {"15e-1", 1.5},
      {"-2", -2.0},
      {" 1.5", std::nullopt},
      {"1.5 ", std::nullopt},
      {"1.5-3", std::nullopt},
      {"1e999", std::nullopt},
      {"", std::nullopt},
      {"1,5", std::nullopt},
  };
  for (const row& r : reals) EXPECT_EQ(wavetool::parse_real(r.text), r.value) << r.text;
  EXPECT_EQ(wavetool::parse_reals("4,35,60,80"), (std::vector<double>{4, 35, 60, 80}));
  EXPECT_EQ(wavetool::parse_reals("4,,60"), std::nullopt);
  EXPECT_EQ(wavetool::parse_whole("-5"), -5);
  for (const char* text : {"010", "1e3", "1.0", "", "-", "+3"}) {
    EXPECT_EQ(wavetool::parse_whole(text), std::nullopt) << text;
  }
}

}  // namespace
