// fitwave with the batched spectrum engine and fitwave with the scalar oscillator loop must be
// indistinguishable to the user: the same console bytes, status and result files.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <random>
#include <string>
#include <vector>

#include "run_program.h"
#include "transcripts.h"

namespace {

using testsupport::read_file;
using testsupport::run_program;
using testsupport::scratch_dir;

// The wave file of the samples ddy at step dt.
std::string wave_file(const std::vector<float>& ddy, double dt) {
  return testsupport::wave_file(static_cast<int>(ddy.size()), dt, [&](int i) {
    return static_cast<double>(ddy[static_cast<std::size_t>(i)]);
  });
}

// A decaying random wave of nt samples, in gal.
std::vector<float> random_wave(int nt, unsigned seed) {
  std::mt19937 gen(seed);
  std::normal_distribution<float> n(0.0f, 100.0f);
  std::vector<float> ddy(static_cast<std::size_t>(nt));
  for (std::size_t i = 0; i < ddy.size(); ++i) {
    ddy[i] = n(gen) * std::exp(-2.0f * static_cast<float>(i) / static_cast<float>(nt));
  }
  return ddy;
}

struct fit_case {
  const char* label;
  std::vector<float> ddy;
  double dt;
  std::string answers;  // after the input file name
};

TEST(spectrum_engine, fitwave_runs_are_identical_to_the_scalar_loop) {
  const std::string files = "spectra.csv\nfitted.csv\n";
  const fit_case cases[] = {
      {"two oscillators", {10.0f, -20.0f, 5.0f}, 0.01, "2\n0\n0\n" + files},
      {"a padded block", random_wave(1000, 1), 0.01, "3\n0\n0\n" + files},
      {"ten iterations, own corners and exponent", random_wave(3001, 2), 0.02,
       "10\n1\n2,20,40,60\n1\n0.5\n" + files},
      // Zero peaks make the coefficients non-finite: NaN spreads through every later spectrum.
      {"all-zero wave", std::vector<float>(300, 0.0f), 0.01, "2\n0\n0\n" + files},
  };
  for (const fit_case& c : cases) {
    scratch_dir engine_dir, reference_dir;
    for (const scratch_dir* d : {&engine_dir, &reference_dir}) {
      testsupport::write_file(*d / "wave.csv", wave_file(c.ddy, c.dt));
    }
    const std::string answers = "wave.csv\n" + c.answers;
    const auto engine = run_program(GM_FITWAVE_PATH, engine_dir.path(), answers);
    const auto reference = run_program(GM_FITWAVE_REFERENCE_PATH, reference_dir.path(), answers);
    EXPECT_EQ(engine.status, 0) << c.label;
    EXPECT_EQ(engine.status, reference.status) << c.label;
    EXPECT_EQ(engine.out, reference.out) << c.label;
    EXPECT_EQ(engine.err, reference.err) << c.label;
    for (const char* name : {"spectra.csv", "fitted.csv"}) {
      const std::string a = read_file(engine_dir / name), b = read_file(reference_dir / name);
      EXPECT_FALSE(a.empty()) << c.label << ", " << name;
      EXPECT_TRUE(a == b) << c.label << ", " << name << " differs";
    }
  }
}

// The signal handlers run on the main thread and end the run through exit() while the engine's
// threads exist, possibly in the middle of a spectrum; the run must still end as it does at a
// prompt, without hanging or crashing.
TEST(spectrum_engine, interrupt_and_termination_during_the_fit_end_the_run) {
  struct row {
    int sig;
    const char* text;
  };
  const row rows[] = {{SIGINT, "Interrupt"}, {SIGTERM, "Killed"}};
  scratch_dir dir;
  testsupport::write_file(dir / "wave.csv", wave_file(random_wave(32768, 3), 0.01));
  for (const row& r : rows) {
    const auto run = run_program(GM_FITWAVE_PATH, dir.path(),
                                 "wave.csv\n10\n0\n0\nspectra.csv\nfitted.csv\n", 150, r.sig);
    EXPECT_EQ(run.signal, 0) << r.text;
    EXPECT_EQ(run.status, 1) << r.text;
    EXPECT_EQ(run.err, testsupport::crlf({r.text})) << r.text;
  }
}

}  // namespace
