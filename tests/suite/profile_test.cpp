// The site profile reader: a whole profile with a table beside it, then each fault as a row, with
// the file and line it is told at.
#include "suite/profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <variant>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> profile_lines{
    "[site]",                          // 1
    "name = \"site-a\"",               // 2
    "method = \"equivalent-linear\"",  // 3
    "magnitude = 7.5",                 // 4
    "tolerance = 0.01",                // 5
    "max_iterations = 30",             // 6
    "complex_modulus = \"kramer\"",    // 7
    "water_table = 3.0",               // 8
    "",                                // 9
    "[[layer]]",                       // 10
    "name = \"fill\"",                 // 11
    "thickness = 4.0",                 // 12
    "vs = 120.0",                      // 13
    "unit_weight = 16.0",              // 14
    "curve = \"hardin-drnevich\"",     // 15
    "gamma_ref = 0.18",                // 16
    "h_max = 0.17",                    // 17
    "h_min = 0.0",                     // 18
    "",                                // 19
    "[[layer]]",                       // 20
    "thickness = 8.0",                 // 21
    "vs = 160.0",                      // 22
    "density = 1.7",                   // 23
    "curve = \"darendeli\"",           // 24
    "plasticity = 20",                 // 25
    "ocr = 1.0",                       // 26
    "",                                // 27
    "[[layer]]",                       // 28
    "thickness = 10.0",                // 29
    "vs = 250.0",                      // 30
    "unit_weight = 18.0",              // 31
    "curve = \"table\"",               // 32
    "table = \"sand.txt\"",            // 33
    "",                                // 34
    "[bedrock]",                       // 35
    "vs = 400.0",                      // 36
    "unit_weight = 19.0",              // 37
    "damping = 0.01",                  // 38
};

const std::vector<std::string> table_lines{
    "# strain (%)  G/G0  damping",  // 1
    "0.0001 1.0 0.01",              // 2
    "0.001, 0.95, 0.02",            // 3
    "0.01 0.75 0.05",               // 4
    "0.1 0.4 0.12",                 // 5
    "",                             // 6
    "1.0 0.15 0.2  # the end",      // 7
};

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

struct profile_files {
  fs::path dir;
  profile_files()
      : dir(fs::temp_directory_path() / ("gm_profile_test_" + std::to_string(::getpid()))) {
    fs::create_directories(dir);
  }
  ~profile_files() { fs::remove_all(dir); }
  wavetool::profile_read read(const std::vector<std::string>& profile,
                              const std::vector<std::string>& table) const {
    std::ofstream(dir / "sand.txt") << joined(table);
    return wavetool::parse_profile(joined(profile), dir / "p.toml");
  }
};

TEST(site_profile_reader, a_whole_profile_with_its_table) {
  const profile_files files;
  const wavetool::profile_read r = files.read(profile_lines, table_lines);
  ASSERT_TRUE(r.ok()) << r.error->line << ": " << r.error->message;
  const site::site_profile& p = r.profile;
  EXPECT_EQ(p.name, "site-a");
  EXPECT_DOUBLE_EQ(p.strain_ratio, 0.65);  // (7.5 - 1) / 10
  EXPECT_EQ(p.form, site::modulus_form::kramer);
  EXPECT_EQ(p.max_iterations, 30);
  EXPECT_EQ(p.water_table, 3.0);
  ASSERT_EQ(p.layers.size(), 3u);
  EXPECT_EQ(p.layers[0].name, "fill");
  EXPECT_DOUBLE_EQ(p.layers[1].unit_weight, 1.7 * 9.80665);
  EXPECT_EQ(std::get<site::hardin_drnevich>(p.layers[0].curve).gamma_ref_pct, 0.18);
  EXPECT_EQ(std::get<site::darendeli>(p.layers[1].curve).plasticity, 20.0);
  EXPECT_FALSE(std::get<site::darendeli>(p.layers[1].curve).mean_stress_kpa);
  const auto& table = std::get<site::strain_table>(p.layers[2].curve);
  ASSERT_EQ(table.rows.size(), 5u);
  EXPECT_EQ(table.rows[1].g_ratio, 0.95);
  EXPECT_EQ(table.rows[4].damping, 0.2);
  EXPECT_EQ(p.bedrock.vs, 400.0);
}

TEST(site_profile_reader, each_fault_told_at_its_file_and_line) {
  const struct {
    int line;  // of the profile to replace, or -(line) of the table
    const char* text;
    const char* file;
    int want_line;
    const char* message;
  } rows[] = {
      {5, "tolerence = 0.01", "p.toml", 5, "unknown key \"tolerence\" in [site]"},
      {5, "strain_ratio = 0.6", "p.toml", 5,
       "strain_ratio: give strain_ratio or magnitude, not both"},
      {16, "", "p.toml", 10, "gamma_ref: missing in [[layer]] with curve = \"hardin-drnevich\""},
      {33, "", "p.toml", 28, "table: missing in [[layer]] with curve = \"table\""},
      {9, "[soil]", "p.toml", 9, "unknown key \"soil\" (expected [site], [[layer]], [bedrock])"},
      {23, "density = 1.7\nunit_weight = 17", "p.toml", 24,
       "unit_weight: give unit_weight or density, not both"},
      {4, "magnitude = 13", "p.toml", 4, "strain_ratio: must be in (0, 1]"},
      {7, "complex_modulus = \"dormio\"", "p.toml", 7,
       "complex_modulus: expected one of simple, shake91, kramer, dormieux, found \"dormio\""},
      {12, "thickness = 0", "p.toml", 12, "thickness: must be positive"},
      {13, "", "p.toml", 10, "vs: missing in [[layer]]"},
      {13, "vs = \"fast\"", "p.toml", 13, "vs: expected a number"},
      {23, "", "p.toml", 20, "unit_weight: missing in [[layer]] (or density)"},
      {18, "plasticity = 10", "p.toml", 18,
       "unknown key \"plasticity\" in [[layer]] with curve = \"hardin-drnevich\""},
      {18, "h_min = 1.0", "p.toml", 18, "h_min: must be in [0, 1)"},
      {26, "ocr = -1", "p.toml", 26, "ocr: must be positive"},
      {24, "curve = \"hyperbolic\"", "p.toml", 24,
       "curve: expected one of hardin-drnevich, darendeli, table, linear, found \"hyperbolic\""},
      {38, "damping = 1.0", "p.toml", 38, "damping: must be in [0, 1)"},
      {36, "vs = -400", "p.toml", 36, "vs: must be positive"},
      {38, "weight = \"heavy\"", "p.toml", 38, "unknown key \"weight\" in [bedrock]"},
      {-4, "0.0005 0.75 0.05", "sand.txt", 4, "strain: must increase from the row above"},
      {-3, "0.001 1.2 0.02", "sand.txt", 3, "g_ratio: must be in (0, 1]"},
      {-5, "0.1 0.4 1.5", "sand.txt", 5, "damping: must be in [0, 1)"},
      {-2, "0.0001 1.0", "sand.txt", 2, "expected strain (%), G/G0 and damping"},
      {-2, "0.0001 1.0 x", "sand.txt", 2, "expected strain (%), G/G0 and damping"},
  };
  const profile_files files;
  for (const auto& row : rows) {
    std::vector<std::string> profile = profile_lines, table = table_lines;
    if (row.line > 0)
      profile[static_cast<std::size_t>(row.line - 1)] = row.text;
    else
      table[static_cast<std::size_t>(-row.line - 1)] = row.text;
    const wavetool::profile_read r = files.read(profile, table);
    ASSERT_FALSE(r.ok()) << row.text;
    EXPECT_EQ(fs::path(r.error->file).filename(), row.file) << row.text;
    EXPECT_EQ(r.error->line, row.want_line) << row.text;
    EXPECT_EQ(r.error->message, row.message) << row.text;
  }
}

TEST(site_profile_reader, a_table_file_that_is_not_there) {
  const profile_files files;
  std::vector<std::string> profile = profile_lines;
  profile[32] = "table = \"clay.txt\"";
  const wavetool::profile_read r = files.read(profile, table_lines);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error->line, 33);
  EXPECT_EQ(r.error->message.rfind("table: ", 0), 0u) << r.error->message;
}

// The TOML parser shows the character it stopped at, here the line break after "t": a message on
// standard error is still one line.
TEST(site_profile_reader, a_toml_fault_in_one_line) {
  const profile_files files;
  std::vector<std::string> profile = profile_lines;
  profile[3] = "magnitude = t";
  const wavetool::profile_read r = files.read(profile, table_lines);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.error->line, 4);
  EXPECT_EQ(r.error->message.find_first_of("\n\r"), std::string::npos) << r.error->message;
  EXPECT_NE(r.error->message.find("boolean"), std::string::npos) << r.error->message;
}

}  // namespace
