// The files of `wavetool fit`: the fitted wave holds exactly the wave that was judged, and the
// spectra table keeps fitwave's layout, thinning and target.
#include "wavetool/fit_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "wavetool/check.h"
#include "wavetool/wave_file.h"

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
  const auto c = wavetool::fitwave_criteria(back.w.acc, back.w.dt);
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

}  // namespace
