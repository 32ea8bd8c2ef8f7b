// The shared wave reader on both of fitwave's layouts, and the text of a wave as wavetool
// writes it.
#include "operations/wave_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <vector>

#include "operations/import.h"
#include "run_program.h"

namespace {

using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;

TEST(parse_wave, both_layouts_read_as_fitwave_reads_them) {
  struct row {
    const char* text;
    std::vector<float> acc;
    float dt;  // time(2) - time(1) in float, as fitwave takes it
  };
  const row rows[] = {
      {"time(s),acc(gal)\r\n0,1.5\r\n0.01,-2\r\n", {1.5f, -2.0f}, 0.01f},
      // fitwave's fitted wave: four values and a trailing comma; the second is the wave.
      {" time(sec),Acc(gal),eamp,eamp*ampfac\r\n"
       "  0.0000,  0.1000E+01,  0.0000E+00,  0.0000E+00,\r\n"
       "  0.0100, -0.2500E+01,  0.6250E-05,  0.9103E-01,\r\n",
       {1.0f, -2.5f},
       0.01f},
      // The step is the difference of the two times in float, not the decimal 0.01.
      {"h\n10.00 0.1\n\n10.01 0.2\n10.02 0.3\n", {0.1f, 0.2f, 0.3f}, 10.01f - 10.0f},
      // fitwave's grammar: a number ends where its characters end, the rest of the record is
      // passed over, and a pair may run on over lines.
      {"h\n0 1\n0.01 1x\n0.02\n3 junk\n", {1.0f, 1.0f, 3.0f}, 0.01f},
      // A byte-order mark is part of the header.
      {"\xEF\xBB\xBFtime(s),acc(gal)\r\n0,1.5\r\n0.01,-2\r\n", {1.5f, -2.0f}, 0.01f},
      // The largest float is finite; a null leaves zero, as in fitwave's fresh arrays.
      {"h\n0 3.4028234e38\n0.5,,\n", {3.4028234e38f, 0.0f}, 0.5f},
  };
  for (const row& r : rows) {
    const wavetool::wave_result w = wavetool::parse_wave(r.text, "w.csv");
    ASSERT_TRUE(w.ok()) << r.text << wavetool::describe(*w.error);
    EXPECT_EQ(w.w.acc, r.acc) << r.text;
    EXPECT_EQ(w.w.dt, r.dt) << r.text;
  }
}

TEST(parse_wave, unreadable_waves_name_file_and_line) {
  struct row {
    const char* text;
    const char* message;
  };
  const row rows[] = {
      {"time,acc\r\n",
       "wavetool: w.csv: expected a header line and at least 2 lines of time and acceleration, "
       "found 0"},
      {"time,acc\r\n0 1\r\n0.01\r\n",
       "wavetool: w.csv:3: expected a time and an acceleration, found \"0.01\""},
      {"time,acc\r\n0 1\r\n0.01 x1\r\n",
       "wavetool: w.csv:3: expected a time and an acceleration, found \"0.01 x1\""},
      // Beyond single precision, whether the decimal fits a double or not.
      {"time,acc\r\n0 1\r\n0.01 1e39\r\n0.02 1\r\n",
       "wavetool: w.csv:3: expected a time and an acceleration within single precision, found "
       "\"0.01 1e39\""},
      {"time,acc\r\n0 1\r\n0.01 1\r\n1e999 1\r\n",
       "wavetool: w.csv:4: expected a time and an acceleration within single precision, found "
       "\"1e999 1\""},
      {"time,acc\r\n0 -3.5e38\r\n",
       "wavetool: w.csv:2: expected a time and an acceleration within single precision, found "
       "\"0 -3.5e38\""},
      // fitwave would drop this last pair silently: it has no line end after extra text.
      {"time,acc\r\n0 1\r\n0.01 2\r\n0.02 3 junk",
       "wavetool: w.csv:4: expected a line end after the last time and acceleration (fitwave "
       "drops them without it), found \"0.02 3 junk\""},
      // The step is read where the second sample is, blank lines counted.
      {"time,acc\n\n0 1\n\n0 2\n",
       "wavetool: w.csv:5: expected a time after the first, found a step of 0 s"},
      {"time,acc\r\n0 1\r\n0 2\r\n",
       "wavetool: w.csv:3: expected a time after the first, found a "
       "step of 0 s"},
  };
  for (const row& r : rows) {
    const wavetool::wave_result w = wavetool::parse_wave(r.text, "w.csv");
    ASSERT_FALSE(w.ok()) << r.text;
    EXPECT_EQ(wavetool::describe(*w.error), r.message);
  }
  const scratch_dir dir;
  const wavetool::wave_result missing = wavetool::read_wave(dir / "none.csv");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error->message, "cannot be read: No such file or directory");
}

// fitwave takes dt = time(2) - time(1) in float, each time read to double and then to float.
TEST(wave_text, times_give_the_step_in_float_and_values_read_back) {
  const std::vector<float> gal{1.0f, -0.1f, 1e-7f, 123456.789f, 0.0f};
  for (const double dt : {0.005, 0.01, 0.02, 0.0025, 1.0 / 3.0, 1.0 / 200.0, 0.1}) {
    const std::string text = wavetool::wave_text(gal, dt);
    ASSERT_TRUE(text.starts_with("time(s),acc(gal)\r\n")) << dt;
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    const wavetool::wave_result w = wavetool::parse_wave(text, "w.csv");
    ASSERT_TRUE(w.ok()) << dt;
    EXPECT_EQ(w.w.dt, static_cast<float>(dt)) << dt;
    EXPECT_EQ(w.w.acc, gal) << dt;
  }
}

TEST(window_of, samples_between_start_and_end) {
  struct row {
    std::optional<double> start, end;
    std::size_t first, count;
  };
  // Ten samples at 0.01 s: times 0 to 0.09.
  const row rows[] = {
      {std::nullopt, std::nullopt, 0, 10},
      {0.02, std::nullopt, 2, 8},
      {std::nullopt, 0.03, 0, 4},
      {0.015, 0.035, 2, 2},
      {0.03, 0.03, 3, 1},
      {0.5, std::nullopt, 0, 0},
      {std::nullopt, 5.0, 0, 10},
  };
  for (const row& r : rows) {
    const wavetool::sample_range s = wavetool::window_of(10, 0.01, r.start, r.end);
    EXPECT_EQ(s.first, r.first) << r.start.value_or(-1) << " " << r.end.value_or(-1);
    EXPECT_EQ(s.count, r.count) << r.start.value_or(-1) << " " << r.end.value_or(-1);
  }
}

}  // namespace
