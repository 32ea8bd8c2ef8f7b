// The files of `wavetool fit`: the fitted wave holds exactly the wave that was judged, and the
// spectra table keeps fitwave's layout, thinning and target.
#include "operations/fit_files.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "motion/spectra_table.h"
#include "operations/check.h"
#include "operations/wave_file.h"
#include "textio/textio.h"
#include "waveio/fit_layouts.h"

namespace {

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find("\r\n"); end != std::string::npos;
       start = end + 2, end = text.find("\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

// Seed 1 fitted once for every test here.
const motion::design_result& seed_fit() {
  static const motion::design_result r = [] {
    const wavetool::wave_result in = wavetool::read_wave(GM_GOLDEN_DIR "/seed1.csv");
    EXPECT_TRUE(in.ok());
    return motion::design_fit(in.w.acc, in.w.dt, {}, [](const motion::iteration_report&) {});
  }();
  return r;
}

// Read back as `wavetool check` reads it, the file gives the judged wave bit for bit, so its
// criteria are the ones the fit stopped on.
TEST(fit_files, fitted_wave_holds_the_judged_wave) {
  const motion::design_result& r = seed_fit();
  ASSERT_TRUE(r.passed);
  const std::string text = wavetool::fitted_wave_text(r);
  EXPECT_EQ(lines_of(text).size(), r.wave.size() + 1);
  EXPECT_EQ(text.substr(0, 38), " time(sec),Acc(gal),eamp,eamp*ampfac\r\n");
  const wavetool::wave_result back = wavetool::parse_wave(text, "fitted.csv");
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.w.acc, r.wave);
  EXPECT_EQ(back.w.dt, r.g.dt);
  const auto c = wavetool::criteria_report(back.w.acc, back.w.dt, {}).criteria;
  ASSERT_TRUE(c.has_value());
  EXPECT_EQ(c->cr1, r.last.measures.cr1);
  EXPECT_EQ(c->cr2, r.last.measures.cr2);
  EXPECT_EQ(c->cr3, r.last.measures.cr3);
  EXPECT_EQ(c->cr4, r.last.measures.cr4);
}

// fitwave's table of the same grid (seed 1, five iterations) has the same periods and target;
// only the spectra columns differ: here the input's (iteration 0) and the final one.
TEST(fit_files, spectra_table_in_fitwaves_layout) {
  const motion::design_result& r = seed_fit();
  const std::vector<std::string> ours = lines_of(wavetool::spectra_table_text(r));
  std::string golden_text;
  {
    std::ifstream in(GM_GOLDEN_DIR "/seed1-fit5-spectra.csv", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    golden_text = s.str();
  }
  const std::vector<std::string> golden = lines_of(golden_text);
  ASSERT_EQ(ours.size(), golden.size());
  char iterations[16];
  std::snprintf(iterations, sizeof iterations, "%3d", r.last.iteration);
  EXPECT_EQ(ours[0], std::string("period(sec),kokuji1461,Iteration No.  0,Iteration No.") +
                         iterations + ",Iteration No.");
  for (std::size_t k = 1; k < ours.size(); ++k) {
    // "  0.0200,  0.3800E+03,": the period and the target, then two values.
    EXPECT_EQ(ours[k].substr(0, 21), golden[k].substr(0, 21)) << k;
    EXPECT_EQ(ours[k].size(), 8u + 3u * 13u + 1u) << ours[k];
  }
}

// The fitted wave's time field: fitwave's F8.4 while it holds the last time, wider beyond, so
// that no time is written as asterisks and every file reads back.
TEST(fit_files, time_field_widens_only_where_f8_4_overflows) {
  struct row {
    float last;
    const char* first_field;  // of a row holding the time `last`
  };
  // clang-format off
  const row rows[] = {
      {0.0f,      "  0.0000"},
      {999.9999f, "999.9999"},
      {1000.0f,   "1000.0000"},
      {1199.9f,   "1199.9000"},    // 12000 samples at 0.1 s
      {12345.6f,  "12345.5996"},   // the float 12345.599609375
      {327670.0f, "327670.0000"},
  };
  // clang-format on
  for (const row& r : rows) {
    const std::string pattern = waveio::row_pattern_for(r.last);
    const std::array<textio::value, 2> values{r.last, 1.0f};
    EXPECT_EQ(textio::pattern_text(pattern).records(values),
              std::string(r.first_field) + ",  0.1000E+01,\r\n")
        << pattern;
  }
  EXPECT_EQ(waveio::row_pattern_for(999.9999f), waveio::table_row_pattern);
}

// round_as_written gives values the row pattern writes exactly: rendered under E12.4 and read
// back to float, each is itself, and it lies within one unit of the fourth digit of the exact
// value. Rows at the carries (9.99995), at a power of ten from below and above, and tiny/huge.
TEST(round_as_written, values_are_those_the_pattern_writes) {
  const std::vector<double> exact{9.99995,  -9.99995, 0.1,      0.09999996, 1.00004e-3,
                                  123.456,  -0.03215, 6.02e23,  1.5e-30,    98765.4321,
                                  0.000999, 1000.05,  -1000.05, 3.14159265, 2.0 / 3.0};
  std::vector<float> written(exact.size());
  motion::round_as_written(exact, written);
  const textio::pattern_text pattern(waveio::table_row_pattern);
  for (std::size_t i = 0; i < exact.size(); ++i) {
    const std::array<textio::value, 2> values{0.0f, written[i]};
    const std::string text = pattern.records(values);
    const std::string field = text.substr(9, 12);  // after "  0.0000,"
    const float back =
        static_cast<float>(textio::scan_real(field.substr(field.find_first_not_of(' '))).value);
    EXPECT_EQ(back, written[i]) << exact[i] << " written " << field;
    const double unit = std::pow(10.0, std::floor(std::log10(std::abs(exact[i]))) - 3);
    EXPECT_LE(std::abs(static_cast<double>(written[i]) - exact[i]), 1.0001 * unit) << exact[i];
  }
  EXPECT_EQ(motion::written_digits, 4);
}

}  // namespace
