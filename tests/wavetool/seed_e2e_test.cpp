// `wavetool seed` run as a script runs it: seeds that are seedwave's file byte for byte or follow
// the chosen spectrum under a direct DFT, their lengths, steps and corners, and errors that write
// nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <nlohmann/json.hpp>

#include "spectra_scratch.h"

namespace {

using namespace spectra_test;

// With every default, wavetool's seed is seedwave's file for the same seed, byte for byte; seed 1
// is also the golden run's seed.
TEST(wavetool_seed, every_default_gives_seedwaves_file) {
  for (const char* seed : {"1", "2", "7", "999", "123459876", "-5"}) {
    const scratch_dir dir;
    const auto tool = wavetool(dir, std::string("seed --seed ") + seed + " -o w.csv");
    EXPECT_EQ(tool.status, 0) << seed << tool.err;
    EXPECT_EQ(tool.out, "") << seed;
    EXPECT_EQ(tool.err, "") << seed;
    const auto answers = std::string(seed) + "\n0\ns.csv\n";
    const auto program = wavetool_test::run_command(GM_SEEDWAVE_PATH, {}, dir.path(), answers);
    ASSERT_EQ(program.status, 0) << seed << program.err;
    const std::string made = read_file(dir / "w.csv");
    EXPECT_EQ(made.size(), read_file(dir / "s.csv").size()) << seed;
    EXPECT_TRUE(made == read_file(dir / "s.csv")) << seed;
    if (std::string_view(seed) == "1") {
      EXPECT_TRUE(made == read_file(GM_GOLDEN_DIR "/seed1.csv"));
    }
    EXPECT_EQ(files_in(dir.path()), (std::vector<std::string>{"s.csv", "w.csv"})) << seed;
  }
}

// The time and acceleration columns of a seed file, after its header line.
struct columns {
  std::vector<std::string> times;
  std::vector<double> acc;
};
columns read_seed(const std::string& text) {
  columns c;
  const std::vector<std::string> lines = lines_of(text);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::size_t comma = lines[i].find(',');
    c.times.push_back(lines[i].substr(0, comma));
    c.acc.push_back(std::stod(lines[i].substr(comma + 1)));
  }
  return c;
}

// Without envelope (corners 0 and far beyond the end) a seed of 4096 samples, one transform
// period, has Fourier amplitudes Sa(T)*T/pi^2 at T = 40.96/k: a direct DFT of the file checks
// them against Sa by hand, to the four digits the file keeps (0.01 gal*s).
TEST(wavetool_seed, any_spectrum_gives_its_fourier_amplitudes) {
  struct row {
    std::string options;
    double (*sa)(double t);
  };
  const row rows[] = {
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3",
       [](double t) {
         const double a = 0.3 * 1.15 * g;
         if (t < 0.2) return a * (1.0 + t / 0.2 * 1.5);
         if (t < 0.6) return a * 2.5;
         return t < 2.0 ? a * 2.5 * 0.6 / t : a * 2.5 * 1.2 / (t * t);
       }},
      {"--spectrum surface --soil 2 --level rare --damping 0.03",
       [](double t) {
         const double f = 0.2 * 1.5 / 1.3;
         const double bedrock = t < 0.16 ? 320.0 + 3000.0 * t : t < 0.64 ? 800.0 : 512.0 / t;
         const double gs = t < 0.64 ? 1.5 : t < 0.864 ? 1.5 * t / 0.64 : 2.025;
         return bedrock * gs * f;
       }},
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 8",
       [](double t) {
         if (t < 0.12) return (0.4 + 0.6 * t / 0.12) * g;
         if (t < 0.6) return g;
         return t < 8.0 ? 0.6 / t * g : 4.8 / (t * t) * g;
       }},
      // A straight line on log-log axes from 400 gal at 0.01 s to 4 gal at 100 s.
      {"--spectrum table --table t.txt", [](double t) { return 400.0 * std::pow(t / 0.01, -0.5); }},
  };
  for (const row& r : rows) {
    const scratch_dir dir;
    write_file(dir / "t.txt", "0.01 400\n100 4\n");
    const auto run = wavetool(
        dir, "seed --seed 3 " + r.options + " --samples 4096 --corners 0,1e9,1e9,1e9 -o s.csv");
    ASSERT_EQ(run.status, 0) << r.options << run.err;
    const columns c = read_seed(read_file(dir / "s.csv"));
    ASSERT_EQ(c.acc.size(), 4096u) << r.options;
    EXPECT_EQ(c.times[4095], "   40.95");
    for (const int k : {1, 20, 64, 100, 256, 1024, 2047}) {
      std::complex<double> x = 0.0;
      for (std::size_t n = 0; n < c.acc.size(); ++n)
        x += c.acc[n] * std::polar(1.0, -2.0 * pi * k * static_cast<double>(n) / 4096.0);
      const double t = 40.96 / k;
      EXPECT_NEAR(std::abs(x) * 0.01, r.sa(t) * t / (pi * pi), 0.01) << r.options << " T=" << t;
    }
  }
}

TEST(wavetool_seed, lengths_steps_and_corners) {
  const scratch_dir dir;
  // 60000 samples: a transform of 65536, the envelope ending at 600 s.
  ASSERT_EQ(wavetool(dir, "seed --seed 5 --samples 60000 -o long.csv").status, 0);
  const columns longer = read_seed(read_file(dir / "long.csv"));
  ASSERT_EQ(longer.acc.size(), 60000u);
  EXPECT_EQ(longer.times[59999], "  599.99");
  EXPECT_EQ(longer.acc[0], 0.0);
  EXPECT_NE(longer.acc[59998], 0.0);
  // The same length by duration; a finer step shows three decimals of time.
  ASSERT_EQ(wavetool(dir, "seed --seed 5 --duration 600 -o d.csv").status, 0);
  EXPECT_TRUE(read_file(dir / "d.csv") == read_file(dir / "long.csv"));
  ASSERT_EQ(wavetool(dir, "seed --seed 5 --dt 0.005 --samples 16384 -o fine.csv").status, 0);
  const columns fine = read_seed(read_file(dir / "fine.csv"));
  ASSERT_EQ(fine.acc.size(), 16384u);
  EXPECT_EQ(fine.times[1], "    0.005");
  EXPECT_EQ(fine.times[16383], "   81.915");
  // Corners: the envelope is 0 from TE on, (t/TB)^2 before TB.
  ASSERT_EQ(wavetool(dir, "seed --seed 5 --samples 4096 --corners 2,10,20,30 -o c.csv").status, 0);
  const columns cut = read_seed(read_file(dir / "c.csv"));
  ASSERT_EQ(cut.acc.size(), 4096u);
  for (std::size_t i = 3000; i < 4096; ++i) EXPECT_EQ(cut.acc[i], 0.0) << i;
  bool moving = false;
  for (std::size_t i = 1000; i < 2000; ++i) moving = moving || cut.acc[i] != 0.0;
  EXPECT_TRUE(moving);
}

TEST(wavetool_seed, errors_write_nothing) {
  const std::string& usage = wavetool_test::usage_hint;
  struct row {
    std::string args;
    int status;
    std::string err;  // the whole of standard error; empty: only its first and last words
  };
  const row rows[] = {
      {"seed -o s.csv", 2, ""},
      {"seed --seed 1", 2, ""},
      {"seed --seed 1 --samples 4095 -o s.csv", 2,
       "wavetool: --samples: expected 4096 to 131072 samples of 0.01 s" + usage},
      {"seed --seed 1 --samples 131073 -o s.csv", 2,
       "wavetool: --samples: expected 4096 to 131072 samples of 0.01 s" + usage},
      {"seed --seed 1 --duration 40 -o s.csv", 2,
       "wavetool: --duration: expected 4096 to 131072 samples of 0.01 s" + usage},
      {"seed --seed 1 --duration 50 -o s.csv", 2,
       "wavetool: --corners: required for a wave shorter than 60 s (50 s)" + usage},
      {"seed --seed 1 --samples 5000 --duration 60 -o s.csv", 2, ""},
      {"seed --seed 1 --dt 0 -o s.csv", 2,
       "wavetool: --dt: expected 0 < DT <= 0.1 (s), found \"0\"" + usage},
      {"seed --seed 1 --corners 4,35,60 -o s.csv", 2,
       "wavetool: --corners: expected 0 <= TB <= TC <= TD <= TE, TE > 0" + usage},
      {"seed --seed 1 --corners 80,60,35,4 -o s.csv", 2,
       "wavetool: --corners: expected 0 <= TB <= TC <= TD <= TE, TE > 0" + usage},
      {"seed --seed 1 --spectrum surface -o s.csv", 2,
       "wavetool: --soil: required by the surface spectrum" + usage},
      {"seed --seed 1 --spectrum table --table t.txt -o s.csv", 1,
       "wavetool: t.txt: the table's periods 0.1 to 2 s do not reach the seed's 0.02 to 81.92 s "
       "(never extrapolated)\n"},
      {"seed --seed 1 -o nofolder/s.csv", 1, ""},
  };
  for (const row& r : rows) {
    const scratch_dir dir;
    write_file(dir / "t.txt", site_table);
    const auto run = wavetool(dir, r.args);
    EXPECT_EQ(run.status, r.status) << r.args;
    EXPECT_EQ(run.out, "") << r.args;
    if (r.err.empty()) {
      EXPECT_TRUE(run.err.starts_with("wavetool: ")) << r.args << run.err;
      EXPECT_EQ(run.err.ends_with(usage), r.status == 2) << r.args << run.err;
    } else {
      EXPECT_EQ(run.err, r.err) << r.args;
    }
    EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"t.txt"}) << r.args;
  }
}

}  // namespace
