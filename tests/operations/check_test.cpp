// check's report: fitwave's four criteria of a fitted wave against fitwave's own last printed
// iteration, the drift of the demo wave, and the layout of the table and of the JSON object.
#include "operations/check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "motion/grid.h"
#include "numeric/response.h"
#include "run_program.h"

namespace {

const std::string golden = GM_GOLDEN_DIR;

// The four values of the last "Error Criteria" lines of a fitwave console.
std::vector<float> last_printed_criteria(const std::string& console) {
  std::vector<float> all;
  std::istringstream in(console);
  for (std::string line; std::getline(in, line);) {
    if (line.find("Error Criteria") != std::string::npos)
      all.push_back(std::stof(line.substr(line.find(':') + 1)));
  }
  return {all.end() - 4, all.end()};
}

// The fitted file holds the wave with four significant digits: each sample is off by up to
// 5e-4 of itself, and so, at most, is every spectral value and every criterion.
TEST(criteria_report, agree_with_fitwave_within_the_files_rounding) {
  for (const char* run : {"seed1-fit5", "corralitos-fit3"}) {
    const wavetool::wave_result w = wavetool::read_wave(golden + "/" + run + "-fitted.csv");
    ASSERT_TRUE(w.ok()) << run;
    const auto c = wavetool::criteria_report(w.w.acc, w.w.dt, {}).criteria;
    ASSERT_TRUE(c) << run;
    const std::vector<float> printed =
        last_printed_criteria(testsupport::read_file(golden + "/" + run + ".console"));
    ASSERT_EQ(printed.size(), 4u) << run;
    EXPECT_NEAR(c->cr1, printed[0], 5e-4 * double{printed[0]}) << run;
    EXPECT_NEAR(c->cr2, printed[1], 5e-4 * double{printed[1]}) << run;
    EXPECT_NEAR(c->cr3, printed[2], 5e-4) << run;
    EXPECT_NEAR(c->cr4, printed[3], 5e-4 * double{printed[3]}) << run;
  }
}

// The criteria against another spectrum, recomputed directly: the reference oscillator at the
// spectrum's damping at every grid period, the spectrum's formula, the sums in double over the
// job's window and 1..5 s. The float sums of check agree to 1e-4.
TEST(criteria_report, against_a_spectrum_at_its_damping_over_its_window) {
  struct row {
    wavetool::spectrum_keys keys;
  };
  const wavetool::wave_result w = wavetool::read_wave(golden + "/seed1-fit5-fitted.csv");
  ASSERT_TRUE(w.ok());
  const auto nt = static_cast<std::int32_t>(w.w.acc.size());
  const motion::grid g = motion::make_grid(nt, w.w.dt, motion::transform_length(nt).nf);
  std::vector<float> acc(w.w.acc.size()), vel(acc.size()), dis(acc.size());
  for (const row& c :
       {row{{}},
        row{{{"spectrum", "surface"}, {"soil", "2"}, {"level", "rare"}, {"damping", "0.03"}}},
        row{{{"damping", "0.1"}, {"window", "0.1,5"}}}}) {
    const wavetool::spectrum_choice q = wavetool::spectrum_from_keys(c.keys);
    ASSERT_TRUE(q.ok()) << q.error;
    const auto lo = static_cast<float>(q.request.window_min);
    const auto hi = static_cast<float>(q.request.window_max);
    const auto h = static_cast<float>(q.request.spectrum.damping);
    double n = 0.0, low = 1e30, dev = 0.0, sum = 0.0, sa_sum = 0.0, target_sum = 0.0;
    for (std::int32_t j = 2; j <= g.nom; ++j) {
      const float period = motion::period_of(motion::omega_at(j, g.dom));
      float sa = 0.0f, sv = 0.0f, sd = 0.0f;
      if (!(period >= lo && period <= hi) && !(period >= 1.0f && period <= 5.0f)) continue;
      numeric::resp(h, motion::omega_at(j, g.dom), g.dt, nt, w.w.acc, acc, vel, dis, sa, sv, sd);
      const double target = motion::spectral_acceleration(q.request.spectrum, period);
      const double ratio = double{sa} / target;
      if (period >= lo && period <= hi) {
        n += 1.0;
        low = std::min(low, ratio);
        dev += (ratio - 1.0) * (ratio - 1.0);
        sum += ratio;
      }
      if (period >= 1.0f && period <= 5.0f) {
        sa_sum += double{sa};
        target_sum += target;
      }
    }
    const wavetool::check_report r = wavetool::criteria_report(w.w.acc, w.w.dt, q.request);
    ASSERT_TRUE(r.criteria);
    EXPECT_NEAR(r.criteria->cr1, low, 1e-4 * low) << q.request.window_min;
    EXPECT_NEAR(r.criteria->cr2, sa_sum / target_sum, 1e-4) << q.request.window_min;
    EXPECT_NEAR(r.criteria->cr3, std::sqrt(dev / n), 1e-4) << q.request.window_min;
    EXPECT_NEAR(r.criteria->cr4, sum / n, 1e-4) << q.request.window_min;
  }
}

TEST(evaluate, the_demo_wave_ends_moving) {
  const wavetool::wave_result w = wavetool::read_wave(golden + "/seed1-fit5-fitted.csv");
  ASSERT_TRUE(w.ok());
  const wavetool::check_report r = wavetool::evaluate(w.w, {});
  // Measured on the demo run: -35 cm/s and -41.6 m at the end.
  EXPECT_EQ(r.measures.samples, 8192u);
  EXPECT_NEAR(r.measures.end_velocity, -35.0, 0.5);
  EXPECT_NEAR(r.measures.end_displacement, -4160.0, 5.0);
  // The largest sample of the file, read by eye: 0.3611E+03 at 34.50 s.
  EXPECT_EQ(r.measures.pga, double{361.1f});
  EXPECT_NEAR(r.measures.pga_time, 34.5, 1e-5);
}

wavetool::check_report sample_report(bool with_criteria) {
  wavetool::check_report r;
  r.measures = {4, double{0.01f}, 361.1, 34.5, 119.25, 4164.5, -35.5, -4164.5, 6.375, 35.25};
  if (with_criteria) r.criteria = motion::criteria{0.8920573f, 1.0f, 0.0549102724f, 0.95f};
  return r;
}

TEST(report, aligned_table) {
  EXPECT_EQ(wavetool::report_table(sample_report(true)),
            "samples                          4\n"
            "dt                            0.01 s\n"
            "pga                          361.1 gal\n"
            "pga_time                      34.5 s\n"
            "pgv                         119.25 cm/s\n"
            "pgd                         4164.5 cm\n"
            "end_velocity                 -35.5 cm/s\n"
            "end_displacement           -4164.5 cm\n"
            "arias                        6.375 m/s\n"
            "d5_95                        35.25 s\n"
            "criterion 1              0.8920573 >= 0.85  pass\n"
            "criterion 2                      1 >= 1.0   pass\n"
            "criterion 3           0.0549102724 <= 0.05  FAIL\n"
            "criterion 4            0.949999988 >= 0.95  pass\n");
  const std::string without = wavetool::report_table(sample_report(false));
  EXPECT_EQ(without.substr(without.find("criteria")),
            "criteria                         - (more samples than wavetool fits)\n");
}

TEST(report, json_object_with_exactly_the_keys) {
  const auto j = nlohmann::json::parse(wavetool::report_json(sample_report(true)));
  std::vector<std::string> keys;
  for (const auto& [key, value] : j.items()) keys.push_back(key);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys,
            (std::vector<std::string>{"arias", "criteria", "d5_95", "dt", "end_displacement",
                                      "end_velocity", "pga", "pga_time", "pgd", "pgv", "samples"}));
  EXPECT_EQ(j["samples"], 4);
  EXPECT_EQ(j["dt"], 0.01);  // the float step shown by its shortest decimal
  EXPECT_EQ(j["end_displacement"], -4164.5);
  EXPECT_EQ(j["criteria"]["cr1"], 0.8920573);
  // The shortest decimal that reads back as the float.
  EXPECT_EQ(j["criteria"]["cr3"], 0.054910272);
  EXPECT_EQ(static_cast<float>(0.054910272), 0.0549102724f);
  EXPECT_TRUE(
      nlohmann::json::parse(wavetool::report_json(sample_report(false)))["criteria"].is_null());
}

}  // namespace
