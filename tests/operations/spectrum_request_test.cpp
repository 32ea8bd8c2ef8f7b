// The spectrum's keys as a plan gives them, the site table's reader and the seed file's layout,
// below the command line.
#include "operations/spectrum_request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "waveio/sa_table.h"
#include "waveio/seed_file.h"

namespace {

TEST(spectrum_keys, a_plan_gets_the_command_lines_rules_without_dashes) {
  const wavetool::spectrum_choice c = wavetool::spectrum_from_keys({{"spectrum", "surface"},
                                                                    {"soil", "2"},
                                                                    {"level", "rare"},
                                                                    {"damping", "3D-2"},
                                                                    {"window", "0.05,5"}},
                                                                   "");
  ASSERT_TRUE(c.ok()) << c.error;
  const motion::design_spectrum& s = c.request.spectrum;
  EXPECT_EQ(s.kind, motion::spectrum_kind::surface);
  EXPECT_EQ(s.soil, 2);
  EXPECT_EQ(s.level, motion::spectrum_level::rare);
  EXPECT_EQ(s.zone, 1.0);
  EXPECT_EQ(s.damping, 0.03);
  EXPECT_EQ(c.request.window_min, 0.05);
  EXPECT_EQ(c.request.window_max, 5.0);

  const std::pair<wavetool::spectrum_keys, std::string> rows[] = {
      {{{"spectrum", "surface"}}, "soil: required by the surface spectrum"},
      {{{"colour", "red"}}, "colour: not an option of any spectrum"},
      {{{"spectrum", "ec8"}, {"ec8-type", "2"}, {"ground", "b"}, {"ag", "0.2"}},
       "ground: expected A to E, found \"b\""},
  };
  for (const auto& [keys, message] : rows) {
    EXPECT_EQ(wavetool::spectrum_from_keys(keys, "").error, message);
  }
  const wavetool::spectrum_choice bedrock = wavetool::spectrum_from_keys({});
  ASSERT_TRUE(bedrock.ok());
  EXPECT_EQ(bedrock.request.spectrum.kind, motion::spectrum_kind::bedrock);
  EXPECT_EQ(bedrock.request.window_min, 0.02);
  EXPECT_EQ(bedrock.request.window_max, 10.0);
}

TEST(sa_table, numbers_by_the_text_layers_rules_comments_and_separators) {
  const waveio::sa_table_result r =
      waveio::parse_sa_table("# T Sa\r\n 0.1, 500\r\n\r\n1.0D0\t2E2 # D exponent\n3 1d+2\n", "t");
  ASSERT_TRUE(r.ok()) << r.error->message;
  EXPECT_EQ(r.table.periods, (std::vector<double>{0.1, 1.0, 3.0}));
  EXPECT_EQ(r.table.sa, (std::vector<double>{500.0, 200.0, 100.0}));
  // An exponent after a bare sign is two numbers run together, as records take it: 1500-3 is
  // not 1.5 gal.
  // Sa that single precision, in which the criteria compare, holds as 0 or as an infinity.
  for (const char* entry :
       {"0.1 1500-3\n", "3 1+2\n", "0.1-1 500\n", "0.1 1e-300\n", "0.1 1e39\n"}) {
    const waveio::sa_table_result run = waveio::parse_sa_table(entry, "t");
    ASSERT_FALSE(run.ok()) << entry;
    EXPECT_EQ(run.error->line, 1) << entry;
  }
}

TEST(seed_file, time_decimals_follow_the_step) {
  const std::pair<double, std::string> rows[] = {
      {0.01, "(F8.2,',',E12.4)"},  {0.02, "(F8.2,',',E12.4)"},  {0.1, "(F8.2,',',E12.4)"},
      {0.005, "(F9.3,',',E12.4)"}, {0.001, "(F9.3,',',E12.4)"}, {0.0025, "(F10.4,',',E12.4)"},
      {1e-5, "(F11.5,',',E12.4)"}, {1e-9, "(F15.9,',',E12.4)"},
  };
  for (const auto& [dt, pattern] : rows) EXPECT_EQ(waveio::seed_row_pattern(dt), pattern) << dt;
  const std::vector<double> acc{1.5, -0.25, 0.0};
  EXPECT_EQ(waveio::seed_file_text(acc, 0.01),
            " time(sec),seed-Acc(gal)\r\n    0.00,  0.1500E+01\r\n    0.01, -0.2500E+00\r\n"
            "    0.02,  0.0000E+00\r\n");
  EXPECT_EQ(waveio::seed_file_text(std::vector<double>{2.0, 2.0}, 0.005),
            " time(sec),seed-Acc(gal)\r\n    0.000,  0.2000E+01\r\n    0.005,  0.2000E+01\r\n");
}

}  // namespace
