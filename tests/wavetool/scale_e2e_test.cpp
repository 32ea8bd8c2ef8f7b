// `wavetool scale`: a record brought to a peak acceleration or velocity, or by a factor, written
// in the fitted wave's layout with four significant digits a value; the peaks as `check` reads
// them, against values worked out here; and the refusals, with nothing written.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "independent_spectra.h"
#include "run_command.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;
using wavetool_test::run_command;
const std::string& usage = wavetool_test::usage_hint;

const fs::path wavetool = GM_WAVETOOL_PATH;
using independent::peak_velocity;
using independent::read_written;

struct scale_folder {
  scratch_dir dir;
  std::vector<double> input;
  scale_folder() {
    fs::copy_file(std::string(GM_WAVETOOL_DATA) + "/RSN753_LOMAP_CLS000.AT2", dir / "r.AT2");
    const auto run = run_command(wavetool, {"import", "r.AT2", "-o", "w.csv"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    input = read_written(dir / "w.csv").acc;
  }
  json check(const std::string& file) const {
    const auto run = run_command(wavetool, {"check", file, "--json"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
    return json::parse(run.out);
  }
};

TEST(wavetool_scale, a_peak_acceleration_is_met_to_the_value_written) {
  const scale_folder f;
  // 300 is written 0.3000E+03; 123.456 with four significant digits is 123.5.
  for (const auto& [given, written] : {std::pair{"300", 300.0}, std::pair{"123.456", 123.5}}) {
    const auto run =
        run_command(wavetool, {"scale", "w.csv", "-o", "s.csv", "--pga", given}, f.dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const json c = f.check("s.csv");
    EXPECT_EQ(c["pga"].get<double>(), written) << given;
    EXPECT_EQ(c["samples"], 7995);
    EXPECT_EQ(c["dt"], 0.005);
  }
}

// The velocity is met within what rounding the written values moves it: each sample's change e_i
// moves the trapezoidal velocity by at most dt sum |e_i|, and so its peak.
TEST(wavetool_scale, a_peak_velocity_is_met_within_the_rounding_of_the_written_values) {
  const scale_folder f;
  const double dt = 0.005;
  const double factor = 50.0 / peak_velocity(f.input, dt);
  const auto run =
      run_command(wavetool, {"scale", "w.csv", "-o", "s.csv", "--pgv", "50"}, f.dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<double> written = read_written(f.dir / "s.csv").acc;
  ASSERT_EQ(written.size(), f.input.size());
  double bound = 0.0, exact_sum = 0.0;
  for (std::size_t i = 0; i < written.size(); ++i) {
    const double exact = factor * f.input[i];
    // Four significant digits: half a unit of the fourth, 5e-4 of the value at most.
    EXPECT_LE(std::abs(written[i] - exact), 5e-4 * std::abs(exact) + 1e-30) << i;
    bound += std::abs(written[i] - exact) * dt;
    exact_sum += std::abs(exact) * dt;
  }
  const double pgv = f.check("s.csv")["pgv"].get<double>();
  EXPECT_LE(std::abs(pgv - 50.0), bound + 1e-9);
  EXPECT_LE(bound, 5e-4 * exact_sum);
  EXPECT_GT(std::abs(pgv - 50.0), 0.0) << "the rounding is expected to move it a little";
}

TEST(wavetool_scale, a_factor_scales_every_value) {
  const scale_folder f;
  const auto run =
      run_command(wavetool, {"scale", "w.csv", "-o", "s.csv", "--factor", "-2.5"}, f.dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<double> written = read_written(f.dir / "s.csv").acc;
  ASSERT_EQ(written.size(), f.input.size());
  for (std::size_t i = 0; i < written.size(); ++i) {
    EXPECT_LE(std::abs(written[i] + 2.5 * f.input[i]), 5e-4 * std::abs(2.5 * f.input[i]) + 1e-30)
        << i;
  }
  // The header and first row as a fit writes them (its golden runs), the envelope 1.
  const std::string text = read_file(f.dir / "s.csv");
  EXPECT_TRUE(text.starts_with(" time(sec),Acc(gal),eamp,eamp*ampfac\r\n  0.0000,"))
      << text.substr(0, 80);
  const std::size_t second = text.find("\r\n") + 2;
  const std::string row = text.substr(second, text.find("\r\n", second) - second);
  EXPECT_TRUE(row.ends_with(",  0.1000E+01,  0.1000E+01,")) << row;
}

TEST(wavetool_scale, bad_combinations_and_values_are_refused_with_nothing_written) {
  const scratch_dir d;
  write_file(d / "w.csv", "time(s),acc(gal)\r\n0,1\r\n0.01,-2\r\n0.02,0.5\r\n");
  write_file(d / "z.csv", "time(s),acc(gal)\r\n0,0\r\n0.01,0\r\n");
  // 4000 samples a second: 0.00025 s would be written 0.0003 in a time column of four decimals.
  write_file(d / "f.csv", "time(s),acc(gal)\r\n0,1\r\n0.00025,2\r\n");
  struct row {
    std::vector<std::string> args;
    std::string err;
    int status = 2;
  };
  const row rows[] = {
      {{"scale", "w.csv", "-o", "s.csv"},
       "wavetool: scale: give one of --pgv, --pga or --factor" + usage},
      {{"scale", "w.csv", "-o", "s.csv", "--pgv", "50", "--pga", "300"},
       "wavetool: --pgv and --pga: give one of them, not both" + usage},
      {{"scale", "w.csv", "-o", "s.csv", "--factor", "2", "--pga", "300"},
       "wavetool: --pga and --factor: give one of them, not both" + usage},
      {{"scale", "w.csv", "-o", "s.csv", "--pgv", "0"},
       "wavetool: --pgv: expected a velocity above 0 (cm/s), found \"0\"" + usage},
      {{"scale", "w.csv", "-o", "s.csv", "--pga", "-300"},
       "wavetool: --pga: expected an acceleration above 0 (gal), found \"-300\"" + usage},
      {{"scale", "w.csv", "-o", "s.csv", "--factor", "inf"},
       "wavetool: --factor: expected a finite factor other than 0, found \"inf\"" + usage},
      {{"scale", "w.csv", "-o", "s.csv", "--factor", "0"},
       "wavetool: --factor: expected a finite factor other than 0, found \"0\"" + usage},
      {{"scale", "w.csv", "-o", "s.csv", "--factor", ""},
       "wavetool: --factor: expected a finite factor other than 0, found \"\"" + usage},
      {{"scale", "w.csv", "--pga", "3"},
       "wavetool: scale: --output is required: the scaled wave to write (the fitted wave's "
       "layout)" +
           usage},
      // The peak sample is -2 gal: times 1e39, 2e39 gal.
      {{"scale", "w.csv", "-o", "s.csv", "--factor", "1e39"},
       "wavetool: w.csv: --factor 1e39 gives values up to 2e+39 gal, beyond single precision "
       "(3.4e38), which import, check and fitwave read\n",
       1},
      {{"scale", "w.csv", "-o", "s.csv", "--factor", "1e-50"},
       "wavetool: w.csv: --factor 1e-50 gives values down to 5e-51 gal, which import, check and "
       "fitwave read as 0 in single precision\n",
       1},
      {{"scale", "f.csv", "-o", "s.csv", "--factor", "2"},
       "wavetool: f.csv: step 0.00025 s cannot be written in the fitted wave's layout, whose "
       "times hold four decimals\n",
       1},
      {{"scale", "z.csv", "-o", "s.csv", "--pgv", "50"},
       "wavetool: z.csv: its peak velocity is 0: no factor gives --pgv 50\n",
       1},
  };
  for (const row& r : rows) {
    const std::size_t before = static_cast<std::size_t>(
        std::distance(fs::directory_iterator(d.path()), fs::directory_iterator()));
    const auto run = run_command(wavetool, r.args, d.path());
    std::string line;
    for (const std::string& a : r.args) line += "[" + a + "]";
    EXPECT_EQ(run.status, r.status) << line;
    EXPECT_EQ(run.err, r.err) << line;
    EXPECT_EQ(run.out, "") << line;
    EXPECT_EQ(static_cast<std::size_t>(
                  std::distance(fs::directory_iterator(d.path()), fs::directory_iterator())),
              before)
        << line;
  }
}

}  // namespace
