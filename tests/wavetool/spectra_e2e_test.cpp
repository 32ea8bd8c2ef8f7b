// `wavetool target` run as a script runs it: every design spectrum at its break points against
// values worked out by hand here, the default periods and JSON, the usage and input errors.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <nlohmann/json.hpp>

#include "spectra_scratch.h"

namespace {

using namespace spectra_test;

// Log-log interpolation by hand between (t1, s1) and (t2, s2).
double loglog(double t, double t1, double s1, double t2, double s2) {
  return s1 * std::pow(s2 / s1, std::log(t / t1) / std::log(t2 / t1));
}

TEST(wavetool_target, every_spectrum_at_its_break_points_by_hand) {
  // Each spectrum at its corners and on both sides of each, written out from the definitions.
  const double rare_z08_h3 = 0.2 * 0.8 * 1.5 / (1.0 + 10.0 * 0.03);  // level, Z, Fh
  const double h2 = 1.5 / 1.2;                                       // Fh at 2 %
  const double ec8_c = 0.3 * 1.15 * g;                               // ag*S, type 1 C
  const double ec8_d2 = 0.2 * 1.8 * g;                               // ag*S, type 2 D
  const double eta7 = std::sqrt(10.0 / 7.0);                         // 2 % damping
  struct row {
    std::string options;
    double period;
    double sa;
  };
  const row rows[] = {
      // Notification 1461 on the bedrock: 320 + 3000T, 800, 512/T.
      {"", 0.02, 380.0},
      {"", 0.159, 320.0 + 3000.0 * 0.159},
      {"", 0.16, 800.0},
      {"", 0.161, 800.0},
      {"", 0.639, 800.0},
      {"", 0.64, 800.0},
      {"", 0.641, 512.0 / 0.641},
      {"", 10.0, 51.2},
      {"--spectrum bedrock --level rare --zone 0.8 --damping 0.03", 0.1, 620.0 * rare_z08_h3},
      {"--level rare --zone 0.8 --damping 0.03", 0.16, 800.0 * rare_z08_h3},
      {"--level rare --zone 0.8 --damping 0.03", 2.0, 256.0 * rare_z08_h3},
      {"--zone 1.5 --damping 0.02", 0.64, 800.0 * 1.5 * h2},
      // Ground surface, soil 1: Gs 1.5, 0.864/T from 0.576 s, 1.35 from 0.64 s.
      {"--spectrum surface --soil 1", 0.1, 620.0 * 1.5},
      {"--spectrum surface --soil 1", 0.16, 1200.0},
      {"--spectrum surface --soil 1", 0.575, 1200.0},
      {"--spectrum surface --soil 1", 0.576, 1200.0},
      {"--spectrum surface --soil 1", 0.577, 800.0 * 0.864 / 0.577},
      {"--spectrum surface --soil 1", 0.639, 800.0 * 0.864 / 0.639},
      {"--spectrum surface --soil 1", 0.64, 800.0 * 1.35},
      {"--spectrum surface --soil 1", 0.641, 512.0 / 0.641 * 1.35},
      {"--spectrum surface --soil 1", 3.0, 512.0 / 3.0 * 1.35},
      // Soil 2: 1.5 to 0.64 s, 1.5T/0.64 to Tu = 0.864 s, then 2.025 (the product stays 1200
      // gal between 0.64 s and Tu); the check at 1.09 s.
      {"--spectrum surface --soil 2", 0.639, 1200.0},
      {"--spectrum surface --soil 2", 0.641, 512.0 / 0.641 * 1.5 * 0.641 / 0.64},
      {"--spectrum surface --soil 2", 0.863, 512.0 / 0.863 * 1.5 * 0.863 / 0.64},
      {"--spectrum surface --soil 2", 0.864, 512.0 / 0.864 * 2.025},
      {"--spectrum surface --soil 2", 0.865, 512.0 / 0.865 * 2.025},
      {"--spectrum surface --soil 2", 1.09, 512.0 / 1.09 * 2.025},
      {"--spectrum surface --soil 2 --level rare --damping 0.03", 1.09,
       512.0 / 1.09 * 2.025 / 5.0 * 1.5 / 1.3},
      // Soil 3: Tu = 0.64*2.7/1.5 = 1.152 s.
      {"--spectrum surface --soil 3", 1.151, 512.0 / 1.151 * 1.5 * 1.151 / 0.64},
      {"--spectrum surface --soil 3", 1.152, 512.0 / 1.152 * 2.7},
      {"--spectrum surface --soil 3", 1.153, 512.0 / 1.153 * 2.7},
      {"--spectrum surface --soil 3 --zone 0.7", 5.0, 512.0 / 5.0 * 2.7 * 0.7},
      // Eurocode 8 type 1, ground C (S 1.15, TB 0.2, TC 0.6, TD 2), ag 0.3 g, eta 1 at 5 %.
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3", 0.02, ec8_c * (1.0 + 0.1 * 1.5)},
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3", 0.19, ec8_c * (1.0 + 0.95 * 1.5)},
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3", 0.2, ec8_c * 2.5},
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3", 0.59, ec8_c * 2.5},
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3", 0.6, ec8_c * 2.5},
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3", 0.61, ec8_c * 2.5 * 0.6 / 0.61},
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3", 1.99, ec8_c * 2.5 * 0.6 / 1.99},
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3", 2.01, ec8_c * 2.5 * 1.2 / (2.01 * 2.01)},
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3", 6.0, ec8_c * 2.5 * 1.2 / 36.0},
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3 --damping 0.02", 0.4, ec8_c * 2.5 * eta7},
      {"--spectrum ec8 --ec8-type 1 --ground C --ag 0.3 --damping 0.5", 0.4, ec8_c * 2.5 * 0.55},
      // Type 2, ground D (S 1.8, TB 0.1, TC 0.3, TD 1.2), ag 0.2 g.
      {"--spectrum ec8 --ec8-type 2 --ground D --ag 0.2", 0.05, ec8_d2 * (1.0 + 0.5 * 1.5)},
      {"--spectrum ec8 --ec8-type 2 --ground D --ag 0.2", 0.1, ec8_d2 * 2.5},
      {"--spectrum ec8 --ec8-type 2 --ground D --ag 0.2", 0.31, ec8_d2 * 2.5 * 0.3 / 0.31},
      {"--spectrum ec8 --ec8-type 2 --ground D --ag 0.2", 1.21,
       ec8_d2 * 2.5 * 0.36 / (1.21 * 1.21)},
      {"--spectrum ec8 --ec8-type 1 --ground A --ag 0.1", 0.3, 0.1 * g * 2.5},
      {"--spectrum ec8 --ec8-type 2 --ground E --ag 0.1", 0.3, 0.1 * 1.6 * g * 2.5 * 0.25 / 0.3},
      // ASCE 7, SDS 1 g, SD1 0.6 g, TL 8 s: T0 = 0.12 s, TS = 0.6 s.
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 8", 0.06, 0.7 * g},
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 8", 0.119, (0.4 + 0.6 * 0.119 / 0.12) * g},
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 8", 0.12, g},
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 8", 0.6, g},
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 8", 0.61, 0.6 / 0.61 * g},
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 8", 8.0, 0.075 * g},
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 8 --damping 0.05", 8.1, 4.8 / (8.1 * 8.1) * g},
      // A table: its own values at its periods, log-log between them, both ends included.
      {"--spectrum table --table t.txt", 0.1, 500.0},
      {"--spectrum table --table t.txt", 0.5, loglog(0.5, 0.1, 500.0, 1.0, 1000.0)},
      {"--spectrum table --table t.txt", 1.0, 1000.0},
      {"--spectrum table --table t.txt", 1.5, loglog(1.5, 1.0, 1000.0, 2.0, 250.0)},
      {"--spectrum table --table t.txt --damping 0.1", 2.0, 250.0},
  };
  for (const row& r : rows) {
    const scratch_dir dir;
    write_file(dir / "t.txt", site_table);
    std::ostringstream period;
    period.precision(17);
    period << r.period;
    const auto run = wavetool(dir, "target " + r.options + " --periods " + period.str());
    const std::string what = r.options + " at " + period.str();
    ASSERT_EQ(run.status, 0) << what << run.err;
    EXPECT_EQ(run.err, "") << what;
    const std::vector<std::string> lines = lines_of(run.out);
    ASSERT_EQ(lines.size(), 2u) << what << run.out;
    EXPECT_EQ(lines[0], "period(s),sa(gal)");
    const std::size_t comma = lines[1].find(',');
    ASSERT_NE(comma, std::string::npos) << what;
    EXPECT_EQ(std::stod(lines[1].substr(0, comma)), r.period) << what;
    // Nine significant digits are printed: a relative 5e-9 at most, 7 digits at least.
    EXPECT_NEAR(std::stod(lines[1].substr(comma + 1)), r.sa, 1e-8 * r.sa) << what;
  }
}

TEST(wavetool_target, default_periods_and_json) {
  const scratch_dir dir;
  const auto run = wavetool(dir, "target");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = lines_of(run.out);
  ASSERT_EQ(lines.size(), 201u);
  EXPECT_EQ(lines[1], "0.02,380");
  EXPECT_EQ(lines[200], "10,51.2");
  // Evenly spaced in log: period i is 0.02 * 500^(i/199).
  const std::string middle = lines[100].substr(0, lines[100].find(','));
  EXPECT_NEAR(std::stod(middle), 0.02 * std::pow(500.0, 99.0 / 199.0), 1e-8);

  const auto window = wavetool(dir, "target --window 0.1,1");
  ASSERT_EQ(window.status, 0) << window.err;
  EXPECT_EQ(lines_of(window.out).size(), 201u);
  EXPECT_TRUE(window.out.starts_with("period(s),sa(gal)\n0.1,620\n")) << window.out;
  EXPECT_TRUE(window.out.ends_with("\n1,512\n"));

  const auto json = wavetool(dir,
                             "target --spectrum surface --soil 2 --level rare --damping "
                             "0.03 --periods 0.5,1.09 --json");
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j["spectrum"], "surface");
  EXPECT_EQ(j["description"], "surface soil 2, rare level, Z 1, h 0.03");
  EXPECT_EQ(j["damping"], 0.03);
  EXPECT_EQ(j["period"], nlohmann::json::array({0.5, 1.09}));
  ASSERT_EQ(j["sa"].size(), 2u);
  EXPECT_NEAR(j["sa"][0].get<double>(), 1200.0 / 5.0 * 1.5 / 1.3, 1e-9);
  EXPECT_NEAR(j["sa"][1].get<double>(), 512.0 / 1.09 * 2.025 / 5.0 * 1.5 / 1.3, 1e-9);
}

TEST(wavetool_target, usage_errors_exit_2_with_one_line) {
  const std::pair<std::string, std::string> rows[] = {
      {"--spectrum surface", "--soil: required by the surface spectrum"},
      {"--spectrum surface --soil 4", "--soil: expected 1, 2 or 3, found \"4\""},
      {"--spectrum ec8 --ec8-type 1 --ground F --ag 0.3", "--ground: expected A to E, found \"F\""},
      {"--spectrum ec8 --ec8-type 3 --ground A --ag 0.3",
       "--ec8-type: expected 1 or 2, found \"3\""},
      {"--spectrum ec8 --ground A --ag 0.3", "--ec8-type: required by the ec8 spectrum"},
      {"--spectrum ec8 --ec8-type 1 --ground A --ag 0", "--ag: expected ag above 0 (g), found 0"},
      {"--damping 0", "--damping: expected 0 < H < 1, found 0"},
      {"--damping -0.05", "--damping: expected 0 < H < 1, found -0.05"},
      {"--damping 1", "--damping: expected 0 < H < 1, found 1"},
      {"--damping 5%", "--damping: expected a number, found \"5%\""},
      {"--zone 0", "--zone: expected 0 < Z <= 1.5, found 0"},
      {"--zone 1.6", "--zone: expected 0 < Z <= 1.5, found 1.6"},
      {"--level severe", "--level: expected extreme or rare, found \"severe\""},
      {"--spectrum eurocode",
       "--spectrum: expected bedrock, surface, ec8, asce7 or table, found "
       "\"eurocode\""},
      {"--soil 2", "--soil: not an option of the bedrock spectrum"},
      {"--spectrum ec8 --ec8-type 1 --ground A --ag 0.3 --zone 0.8",
       "--zone: not an option of the ec8 spectrum"},
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 8 --level rare",
       "--level: not an option of the asce7 spectrum"},
      {"--spectrum table --table t.txt --sds 1", "--sds: not an option of the table spectrum"},
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 8 --damping 0.03",
       "--damping: the asce7 spectrum is defined at 0.05 only"},
      {"--spectrum asce7 --sds 1 --sd1 0.6", "--tl: required by the asce7 spectrum"},
      {"--spectrum asce7 --sds 1 --sd1 0.6 --tl 0.5",
       "--tl: expected TL above TS = SD1/SDS, found 0.5"},
      {"--spectrum table", "--table: required by the table spectrum"},
      {"--window 1,0.5", "--window: expected TMIN,TMAX (s) with 0 < TMIN < TMAX, found \"1,0.5\""},
      {"--window 0.02", "--window: expected TMIN,TMAX (s) with 0 < TMIN < TMAX, found \"0.02\""},
      {"--periods 0.1,-1", "--periods: expected periods above 0 (s), found \"0.1,-1\""},
      {"--periods 0.1,,1", "--periods: expected periods above 0 (s), found \"0.1,,1\""},
  };
  for (const auto& [options, message] : rows) {
    const scratch_dir dir;
    const auto run = wavetool(dir, "target " + options);
    EXPECT_EQ(run.status, 2) << options;
    EXPECT_EQ(run.out, "") << options;
    EXPECT_EQ(run.err, "wavetool: " + message + "\nRun 'wavetool --help' for the usage.\n")
        << options;
  }
}

TEST(wavetool_target, bad_tables_exit_1_naming_the_line) {
  const std::pair<std::string_view, std::string> rows[] = {
      {"0.1 500\n0.2 x\n",
       "t.txt:2: expected two numbers, period (s) and Sa (gal), found "
       "\"0.2 x\""},
      {"0.1 500 3\n",
       "t.txt:1: expected two numbers, period (s) and Sa (gal), found "
       "\"0.1 500 3\""},
      {"# head\n0.1 500\n0.1 600\n",
       "t.txt:3: expected a period above 0.1 s (periods strictly "
       "increasing), found \"0.1\""},
      {"0 500\n1 600\n",
       "t.txt:1: expected a period above 0 s (periods strictly increasing), "
       "found \"0\""},
      {"0.1 500\n1 0\n", "t.txt:2: expected Sa above 0 gal, found \"0\""},
      {"# only\n0.1 500\n",
       "t.txt: expected at least two lines of period (s) and Sa (gal), "
       "found 1"},
      // A period outside the table is never extrapolated.
      {"0.1 500\n1 1000\n",
       "t.txt: period 2 s lies outside the table's periods 0.1 to 1 s "
       "(never extrapolated)"},
  };
  for (const auto& [table, message] : rows) {
    const scratch_dir dir;
    write_file(dir / "t.txt", table);
    const auto run = wavetool(dir, "target --spectrum table --table t.txt --periods 0.5,2");
    EXPECT_EQ(run.status, 1) << table;
    EXPECT_EQ(run.out, "") << table;
    EXPECT_EQ(run.err, "wavetool: " + message + "\n") << table;
    EXPECT_EQ(files_in(dir.path()), std::vector<std::string>{"t.txt"}) << table;
  }
  const scratch_dir dir;
  const auto missing = wavetool(dir, "target --spectrum table --table none.txt");
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.err.starts_with("wavetool: none.txt")) << missing.err;
  write_file(dir / "t.txt", site_table);
  // The default periods span the window, 0.02 to 10 s, beyond this table.
  const auto window = wavetool(dir, "target --spectrum table --table t.txt");
  EXPECT_EQ(window.status, 1);
  EXPECT_EQ(window.err,
            "wavetool: t.txt: period 0.02 s lies outside the table's periods 0.1 to "
            "2 s (never extrapolated)\n");
  EXPECT_EQ(wavetool(dir, "target --spectrum table --table t.txt --window 0.1,2").status, 0);
}

}  // namespace
