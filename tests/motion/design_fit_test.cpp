// The design fit on the demo seed wave and on a real recording: all four measures and at rest
// within 30 iterations, the stopping rule, the iteration limit, and the long-period aim.
#include "motion/design_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "motion/empty_band.h"
#include "motion/resample.h"
#include "motion/seed_wave.h"
#include "motion/target_grid.h"

namespace {

struct wave_file {
  std::vector<float> acc;
  float dt = 0.0f;
};

// fitwave's input layout: a header, then "time,acceleration" per line.
wave_file read_wave(const std::string& name) {
  std::ifstream in(std::string(GM_GOLDEN_DIR) + "/" + name, std::ios::binary);
  std::string line;
  std::getline(in, line);
  std::vector<float> time;
  wave_file w;
  while (std::getline(in, line)) {
    char* rest = nullptr;
    time.push_back(static_cast<float>(std::strtod(line.c_str(), &rest)));
    w.acc.push_back(static_cast<float>(std::strtod(rest + 1, nullptr)));
  }
  if (time.size() >= 2) w.dt = time[1] - time[0];
  return w;
}

struct run {
  motion::design_result result;
  std::vector<motion::iteration_report> reports;
};

run fit(std::span<const float> acc, float dt, const motion::design_settings& s) {
  run r;
  r.result = motion::design_fit(
      acc, dt, s, [&r](const motion::iteration_report& x) { r.reports.push_back(x); });
  return r;
}

// The acceptance of a design wave: what the file holds meets all four measures, ends at rest
// (|v| <= 0.1 cm/s, |d| <= 1 cm) and keeps a plausible peak displacement; fitted again, it
// passes at once when fitted again.
TEST(design_fit, passes_and_comes_to_rest_then_stops_at_once_when_fitted_again) {
  struct row {
    const char* file;
    motion::corner_times corners;
    double max_pgd;  // cm
  };
  for (const row& c : {row{"seed1.csv", {4.0f, 35.0f, 60.0f, 80.0f}, 300.0},
                       row{"corralitos.csv", {2.0f, 16.0f, 30.0f, 40.0f}, 300.0}}) {
    const wave_file w = read_wave(c.file);
    ASSERT_GT(w.acc.size(), 7000u) << c.file;
    motion::design_settings s;
    s.corners = c.corners;
    const run first = fit(w.acc, w.dt, s);
    const motion::design_result& r = first.result;
    ASSERT_TRUE(r.passed) << c.file;
    ASSERT_EQ(first.reports.size(), static_cast<std::size_t>(r.last.iteration));
    EXPECT_LE(r.last.iteration, 30);
    EXPECT_TRUE(motion::judge(r.last.measures).all());
    for (std::size_t k = 0; k + 1 < first.reports.size(); ++k) {
      EXPECT_FALSE(motion::judge(first.reports[k].measures).all()) << "no stop at " << k + 1;
    }
    EXPECT_LE(r.last.pgd, c.max_pgd) << c.file;
    ASSERT_EQ(r.wave.size(), w.acc.size());
    // Integrated afresh, in a second way: the rectangle sums of the trapezoidal rule.
    double v = 0.0, d = 0.0, a0 = 0.0;
    for (float a : r.wave) {
      const double v1 = v + (a0 + static_cast<double>(a)) * 0.5 * static_cast<double>(w.dt);
      d += (v + v1) * 0.5 * static_cast<double>(w.dt);
      v = v1;
      a0 = static_cast<double>(a);
    }
    EXPECT_LE(std::abs(v), 0.1) << c.file;
    EXPECT_LE(std::abs(d), 1.0) << c.file;

    // Under a flat envelope the fit changes a passing wave too little to fail it.
    s.corners = {0.0f, 1000.0f, 1001.0f, 1002.0f};
    const run again = fit(r.wave, w.dt, s);
    EXPECT_TRUE(again.result.passed) << c.file;
    EXPECT_EQ(again.reports.size(), 1u) << c.file;
  }
}

// The limit comes first: one iteration of the seed, or rest switched off (then the wave drifts
// and only the measures decide).
TEST(design_fit, limit_and_rest_switch) {
  const wave_file w = read_wave("seed1.csv");
  motion::design_settings s;
  s.max_iterations = 1;
  const run one = fit(w.acc, w.dt, s);
  EXPECT_FALSE(one.result.passed);
  EXPECT_EQ(one.reports.size(), 1u);
  EXPECT_FALSE(motion::judge(one.result.last.measures).all());
  EXPECT_EQ(one.result.input_sa.size(), one.result.final_sa.size());

  s.max_iterations = 30;
  s.rest = false;
  const run drifting = fit(w.acc, w.dt, s);
  EXPECT_TRUE(drifting.result.passed);
  EXPECT_GT(std::abs(drifting.result.last.end.velocity), 1.0);
  EXPECT_FALSE(motion::at_rest(drifting.result.last.end));

  // Waves wavetool does not fit (one sample, one more than 2^17, no step): nothing runs.
  const std::vector<float> one_sample(1, 1.0f), too_long(131073, 1.0f);
  for (const auto& [acc, dt] : {std::pair{std::span<const float>(one_sample), 0.01f},
                                std::pair{std::span<const float>(too_long), 0.01f},
                                std::pair{std::span<const float>(w.acc), 0.0f}}) {
    const run none = fit(acc, dt, s);
    EXPECT_FALSE(none.result.passed);
    EXPECT_TRUE(none.reports.empty());
  }
}

// A fade from 15 to 20 s (taper_for a window ending at 12.5 s) on a grid of 8 points at
// dt = 4.375 s: periods 35, 17.5, 11.67 and 8.75 s. Beyond 20 s the aim is the smaller of the
// input's and the current spectrum (no amplification there), up to 15 s the target, and at
// 17.5 s, halfway, the geometric mean of the two.
TEST(correction_aim, fades_from_the_target_to_the_waves_own_content) {
  const motion::grid g = motion::make_grid(8, 4.375f, 8);
  const std::vector<float> target{0.0f, 10.0f, 40.0f, 50.0f, 60.0f};
  const std::vector<float> input{0.0f, 15.0f, 30.0f, 1.0f, 1.0f};
  const std::vector<float> current{0.0f, 20.0f, 10.0f, 70.0f, 80.0f};
  std::vector<float> aim(5, -1.0f);
  const motion::long_period_taper taper = motion::taper_for(12.5f);
  ASSERT_EQ(taper.full, 15.0f);
  ASSERT_EQ(taper.none, 20.0f);
  motion::correction_aim(g, taper, target, input, current, aim);
  EXPECT_EQ(aim[1], 15.0f);
  EXPECT_NEAR(aim[2], 20.0f, 1e-4f);
  EXPECT_EQ(aim[3], 50.0f);
  EXPECT_EQ(aim[4], 60.0f);
  // The other way round beyond 20 s: the current spectrum is the smaller.
  const std::vector<float> high_input{0.0f, 25.0f, 30.0f, 1.0f, 1.0f};
  motion::correction_aim(g, taper, target, high_input, current, aim);
  EXPECT_EQ(aim[1], 20.0f);

  // Off the midpoint the half cosine decides: at 16 s the weight of the target is
  // (1 + cos(0.2 pi))/2 = 0.9045085, at 19 s (1 + cos(0.8 pi))/2 = 0.0954915, so with the own
  // content 10 and the target 40 the aim is 10 * 4^w (hand-computed; 1 - cos swaps the two).
  struct fade_row {
    float dt;  // 8 samples: grid point 3 has the period 8*dt/2
    float expected;
  };
  for (const fade_row& r : {fade_row{4.0f, 35.0403454f}, fade_row{4.75f, 11.4154126f}}) {
    const motion::grid h = motion::make_grid(8, r.dt, 8);
    const std::vector<float> t4{0.0f, 40.0f, 40.0f, 40.0f, 40.0f};
    const std::vector<float> own{0.0f, 10.0f, 10.0f, 10.0f, 10.0f};
    motion::correction_aim(h, taper, t4, own, own, aim);
    EXPECT_NEAR(aim[2], r.expected, 1e-3f)
        << "period " << motion::period_of(motion::omega_at(3, h.dom));
  }
}

}  // namespace

namespace {

// Every other sample of the demo seed: a wave at 0.02 s.
// Seed n of the bedrock spectrum as the seed program draws it (8192 samples at 0.01 s, corners
// 4, 35, 60 s and the end), in single precision.
wave_file seed_wave_number(std::int32_t n) {
  const motion::seed_grid g = motion::make_seed_grid(motion::default_seed_samples, 0.01);
  std::vector<std::complex<double>> fx(static_cast<std::size_t>(g.nf));
  std::vector<double> acc(static_cast<std::size_t>(g.nt));
  motion::seed_wave(n, g, motion::design_spectrum{}, fx, acc);
  motion::shape_with_envelope(acc, g.dt, motion::seed_corners{});
  wave_file w;
  for (double a : acc) w.acc.push_back(static_cast<float>(a));
  w.dt = 0.01f;
  return w;
}

// Checks of one report a test can count without the fit's own scoring: failed criteria and rest.
int failed_checks(const motion::iteration_report& x) {
  const motion::criteria& c = x.measures;
  return (c.cr1 < 0.85f) + (c.cr2 < 1.0f) + (c.cr3 > 0.05f) + (c.cr4 < 0.95f) +
         !(std::abs(x.end.velocity) <= 0.1 && std::abs(x.end.displacement) <= 1.0);
}

// Seed 2 with corners that end before its energy, each coefficient corrected on its own (the top
// band's control off): criterion 3 winds up near the shortest periods. The run ends at the limit
// or for want of progress and returns its best iteration: the wave returned has exactly that
// iteration's spectrum, and no iteration failed fewer checks.
TEST(design_fit, at_the_limit_the_best_iteration_is_kept_and_a_stalled_run_stops) {
  struct row {
    std::int32_t patience;
    bool stops_early;
  };
  const wave_file w = seed_wave_number(2);
  for (const row& c : {row{30, false}, row{3, true}}) {
    motion::design_settings s;
    s.corners = {2.0f, 20.0f, 40.0f, 60.0f};
    s.tuning.top_band.on = false;
    s.tuning.peak_hold.on = false;
    s.patience = c.patience;
    const run x = fit(w.acc, w.dt, s);
    const motion::design_result& r = x.result;
    ASSERT_FALSE(r.passed);
    EXPECT_EQ(r.stopped_early, c.stops_early);
    ASSERT_EQ(x.reports.size(), static_cast<std::size_t>(r.last.iteration));
    if (c.stops_early) {
      EXPECT_EQ(r.last.iteration, r.kept.iteration + c.patience);
    } else {
      EXPECT_EQ(r.last.iteration, 30);
    }
    ASSERT_GE(r.kept.iteration, 1);
    EXPECT_LT(r.kept.iteration, r.last.iteration);
    const motion::iteration_report& kept =
        x.reports[static_cast<std::size_t>(r.kept.iteration - 1)];
    EXPECT_EQ(r.kept.measures.cr3, kept.measures.cr3);
    for (const motion::iteration_report& e : x.reports) {
      EXPECT_GE(failed_checks(e), failed_checks(kept)) << e.iteration;
    }
    if (!c.stops_early) {
      EXPECT_LT(kept.measures.cr3, r.last.measures.cr3);  // it wound up since
    }
    // The spectrum of the wave returned, computed afresh.
    motion::response_spectrum spectrum(static_cast<std::size_t>(r.g.nf));
    std::vector<float> sa(static_cast<std::size_t>(r.g.nom));
    spectrum.compute(r.wave, r.g.nt, r.g.dt, r.g.dom, r.g.nom, sa);
    EXPECT_EQ(sa, r.final_sa);
    const motion::criteria again = motion::criteria_of(r.g, sa, r.target);
    EXPECT_EQ(again.cr1, kept.measures.cr1);
    EXPECT_EQ(again.cr3, kept.measures.cr3);
  }
}

// Waves whose shortest periods wound up under the plain correction: seed 2 with corners that end
// before its energy (criterion 3 from 0.04 at iteration 14 to 0.68 at 30 with each coefficient
// corrected on its own, the last row), and seed 1 with those corners taken to 0.02 s and
// resampled (to 0.60 by iteration 25 before the band it lacks was filled). Over 30 iterations
// criterion 3 now stays below 0.1 after the first five.
TEST(design_fit, the_shortest_periods_no_longer_wind_up) {
  struct row {
    const char* name;
    wave_file w;
    float recorded_step;        // s, 0: its own
    bool top_band_held = true;  // the top band's control and the peak's hold on
    bool winds_up = false;
  };
  wave_file half;
  const wave_file one = read_wave("seed1.csv");
  for (std::size_t i = 0; i < one.acc.size(); i += 2) half.acc.push_back(one.acc[i]);
  const std::vector<float> resampled = motion::resample(half.acc, 2);
  const wave_file two = seed_wave_number(2);
  for (const row& c : {row{"seed 2", two, 0.0f}, row{"seed 1 at 0.02 s", {resampled, 0.01f}, 0.02f},
                       row{"seed 2, plain correction", two, 0.0f, false, true}}) {
    motion::design_settings s;
    s.corners = {2.0f, 20.0f, 40.0f, 60.0f};
    s.patience = 30;
    s.recorded_step = c.recorded_step;
    s.tuning.top_band.on = c.top_band_held;
    s.tuning.peak_hold.on = c.top_band_held;
    s.max_pgd = 0.0;  // never passes: all 30 iterations run
    const run x = fit(c.w.acc, c.w.dt, s);
    ASSERT_EQ(x.reports.size(), 30u) << c.name;
    float most = 0.0f;
    for (std::size_t k = 5; k < x.reports.size(); ++k) {
      most = std::max(most, x.reports[k].measures.cr3);
    }
    EXPECT_EQ(most >= 0.1f, c.winds_up) << c.name << ": criterion 3 reached " << most;
  }
}

}  // namespace

namespace {

// El Centro 1940 NS as its file holds it: "#" lines, then values in g at 0.02 s; in gal.
std::vector<float> elcentro_gal() {
  std::ifstream in(std::string(GM_RECORDS_DIR) + "/elcentro_1940_ns.dat");
  std::vector<float> acc;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const char* p = line.c_str();
    for (char* end = nullptr;; p = end) {
      const double g = std::strtod(p, &end);
      if (end == p) break;
      acc.push_back(static_cast<float>(g * 980.665));
    }
  }
  return acc;
}

// Waves whose shortest periods the ratio alone could not fit. Against the bedrock spectrum seed 17
// (corners 4,35,60,80) has a peak acceleration 11 % above the target at 0.02 s; against Eurocode
// 8 (type 1, ground C, 0.3 g) seed 2 (corners 2,20,40,60) has one 13 % below it. At 0.01 s the
// spectrum there is the peak acceleration, so without the peak's control (the rows "left
// alone") criterion 3 or criterion 1 stays out for 30 iterations. El Centro (0.02 s) given at 0.005
// s holds nothing from 25 Hz up and is fitted at that step, where nothing resamples it: the band it
// lacks is found and filled (left empty, criterion 3 ended at 0.15).
TEST(design_fit, waves_whose_spectrum_the_ratio_cannot_move_pass) {
  struct row {
    const char* name;
    wave_file w;
    motion::corner_times corners;
    bool ec8 = false;
    bool peaks_held = true;
    bool passes = true;
  };
  const std::vector<float> elcentro = elcentro_gal();
  ASSERT_EQ(elcentro.size(), 1560u);
  const wave_file fine{motion::resample(elcentro, 4), 0.005f};
  const wave_file two = seed_wave_number(2), seventeen = seed_wave_number(17);
  const motion::corner_times late{4.0f, 35.0f, 60.0f, 80.0f}, early{2.0f, 20.0f, 40.0f, 60.0f};
  const row rows[] = {
      {"seed 17", seventeen, late},
      {"seed 17 left alone", seventeen, late, false, false, false},
      {"seed 2, EC8", two, early, true},
      {"seed 2, EC8, left alone", two, early, true, false, false},
      {"El Centro at 0.005 s", fine, {2.0f, 10.0f, 20.0f, 31.2f}},
  };
  for (const row& c : rows) {
    motion::design_settings s;
    s.corners = c.corners;
    s.patience = 30;
    s.tuning.peak_hold.on = c.peaks_held;
    if (c.ec8) {
      motion::design_spectrum ec8;
      ec8.kind = motion::spectrum_kind::ec8;
      ec8.ground = 'C';
      ec8.ag = 0.3;
      const auto nt = static_cast<std::int32_t>(c.w.acc.size());
      s.target = motion::target_on_grid(motion::design_grid(nt, c.w.dt), ec8);
      s.max_pgd = motion::plausible_pgd(ec8);
    }
    const run x = fit(c.w.acc, c.w.dt, s);
    EXPECT_EQ(x.result.passed, c.passes) << c.name << ": iteration " << x.result.kept.iteration;
  }
  // The situation of the last row: its coefficients lack the band from 25 Hz (period 0.04 s).
  const motion::grid g = motion::design_grid(static_cast<std::int32_t>(fine.acc.size()), fine.dt);
  std::vector<motion::cplx> fds(static_cast<std::size_t>(g.nf));
  motion::forward_coefficients(g, fine.acc, fds);
  const std::size_t first = motion::empty_band_start(g, fds);
  ASSERT_LT(first, static_cast<std::size_t>(g.nom));
  EXPECT_NEAR(motion::period_of(motion::omega_at(static_cast<std::int32_t>(first) + 1, g.dom)),
              0.04f, 0.002f);
}

}  // namespace
