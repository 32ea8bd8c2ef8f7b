// `wavetool site` as an engineer runs it: three soil columns on a real record, the motion read
// back by `check`, the results held to the curves they came from, a linear column against its
// closed form, a column that cannot converge in one pass, and every refusal in wavetool's words
// with nothing written.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "run_command.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;
using wavetool_test::files_in;
using wavetool_test::run_command;
const std::string& usage = wavetool_test::usage_hint;

const fs::path wavetool = GM_WAVETOOL_PATH;
const std::string data = GM_WAVETOOL_DATA;

// The Loma Prieta record imported as the engineer would, beside the test profiles.
struct site_folder {
  scratch_dir dir;
  site_folder() {
    fs::copy_file(data + "/RSN753_LOMAP_CLS000.AT2", dir / "lomap.AT2");
    for (const char* f :
         {"site_hardin.toml", "site_darendeli.toml", "site_table.toml", "site_sand.txt"}) {
      fs::copy_file(data + "/" + f, dir / f);
    }
    const auto run = run_command(wavetool, {"import", "lomap.AT2", "-o", "w.csv"}, dir.path());
    EXPECT_EQ(run.status, 0) << run.err;
  }
};

// The curves as published, written here once more: Hardin-Drnevich, a table linear in log strain
// with its end values beyond it, and Darendeli (2001) at the mean stress worked out below.
struct curve_point {
  double g_ratio, damping;
};

curve_point hardin(double strain, double gamma_ref, double h_max, double h_min) {
  const double g = 1.0 / (1.0 + strain / gamma_ref);
  return {g, h_max * (1.0 - g) + h_min};
}

curve_point sand_table(double strain) {
  const double rows[][3] = {{0.0001, 1.0, 0.01},
                            {0.001, 0.96, 0.015},
                            {0.01, 0.8, 0.04},
                            {0.1, 0.42, 0.11},
                            {1.0, 0.12, 0.21}};
  if (strain <= rows[0][0]) return {rows[0][1], rows[0][2]};
  for (int k = 1; k < 5; ++k) {
    if (strain <= rows[k][0]) {
      const double t = std::log(strain / rows[k - 1][0]) / std::log(rows[k][0] / rows[k - 1][0]);
      return {rows[k - 1][1] + t * (rows[k][1] - rows[k - 1][1]),
              rows[k - 1][2] + t * (rows[k][2] - rows[k - 1][2])};
    }
  }
  return {rows[4][1], rows[4][2]};
}

curve_point darendeli(double strain, double pi, double ocr, double mean_kpa) {
  const double sigma = mean_kpa / 101.325;
  const double gr = (0.0352 + 0.0010 * pi * std::pow(ocr, 0.3246)) * std::pow(sigma, 0.3483);
  const double a = 0.9190;
  const double g = 1.0 / (1.0 + std::pow(strain / gr, a));
  const double dmin = (0.8005 + 0.0129 * pi * std::pow(ocr, -0.1069)) * std::pow(sigma, -0.2889);
  double dm = 0.0;
  if (strain > 0.0) {
    const double d1 =
        100.0 / std::numbers::pi *
        (4.0 * (strain - gr * std::log((strain + gr) / gr)) / (strain * strain / (strain + gr)) -
         2.0);
    const double c1 = -1.1143 * a * a + 1.8618 * a + 0.2523;
    const double c2 = 0.0805 * a * a - 0.0710 * a - 0.0095;
    const double c3 = -0.0005 * a * a + 0.0002 * a + 0.0003;
    dm = c1 * d1 + c2 * d1 * d1 + c3 * d1 * d1 * d1;
  }
  const double b = 0.6329 - 0.00566 * std::log(10.0);
  return {g, (b * std::pow(g, 0.1) * dm + dmin) / 100.0};
}

// site_darendeli.toml by hand: water at 2 m. Silt (17 kN/m3, 6 m): at 3 m, sigma'_v =
// 17 * 3 - 9.81 * 1 = 41.19 kPa, sigma'_m = 41.19 (1 + 2 * 0.5) / 3 = 27.46. Clay (1.8 t/m3,
// 17.65197 kN/m3, 10 m, k0 0.6): at 11 m, 17 * 6 + 17.65197 * 5 - 9.81 * 9 = 101.96985 kPa,
// sigma'_m = 101.96985 * 2.2 / 3 = 74.77789.
curve_point darendeli_column(const std::string& layer, double strain) {
  if (layer == "silt") return darendeli(strain, 15.0, 1.0, (17.0 * 3.0 - 9.81) * 2.0 / 3.0);
  const double sigma_v = 17.0 * 6.0 + 1.8 * 9.80665 * 5.0 - 9.81 * 9.0;
  return darendeli(strain, 40.0, 2.0, sigma_v * 2.2 / 3.0);
}

curve_point curve_of(const std::string& profile, const std::string& layer, double strain) {
  if (profile == "site_hardin.toml") {
    return layer == "fill" ? hardin(strain, 0.18, 0.17, 0.0) : hardin(strain, 0.12, 0.2, 0.01);
  }
  if (profile == "site_darendeli.toml") return darendeli_column(layer, strain);
  return layer == "crust" ? curve_point{1.0, 0.03} : sand_table(strain);
}

// The numbers of the CSV's first table, row by row after its header.
std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line) && !line.empty()) {
    std::vector<std::string> fields;
    std::istringstream f(line);
    std::string field;
    while (std::getline(f, field, ',')) fields.push_back(field);
    rows.push_back(fields);
  }
  return rows;
}

TEST(wavetool_site, three_columns_on_a_real_record_hold_to_their_curves) {
  const site_folder f;
  for (const std::string profile : {"site_hardin.toml", "site_darendeli.toml", "site_table.toml"}) {
    const auto run = run_command(
        wavetool, {"site", profile, "w.csv", "-o", "s.csv", "--profile", "r.csv", "--json"},
        f.dir.path());
    ASSERT_EQ(run.status, 0) << profile << ": " << run.err;
    EXPECT_TRUE(run.err.starts_with("converged after ")) << run.err;
    const json j = json::parse(run.out);
    EXPECT_TRUE(j["converged"].get<bool>());
    const double error = j["error"].get<double>();
    EXPECT_LT(error, 0.01);
    EXPECT_EQ(j["iterations"].get<std::size_t>(), j["passes"].size());
    EXPECT_GT(j["iterations"].get<int>(), 1) << profile << ": the strains soften no layer";
    // The rule: the properties reported are the curves' at ratio x peak strain, within the error.
    const double ratio = j["strain_ratio"].get<double>();
    double bottom = 0.0;
    for (const json& l : j["layers"]) {
      const double peak = l["strain_max_pct"].get<double>();
      EXPECT_NEAR(l["strain_eff_pct"].get<double>(), ratio * peak, 1e-15 * peak);
      const curve_point want = curve_of(profile, l["name"], ratio * peak);
      const std::string where = profile + " " + l["name"].get<std::string>();
      EXPECT_LE(std::abs(l["g_ratio"].get<double>() - want.g_ratio),
                error * want.g_ratio * 1.001 + 1e-12)
          << where;
      EXPECT_LE(std::abs(l["damping"].get<double>() - want.damping),
                error * want.damping * 1.001 + 1e-12)
          << where;
      EXPECT_NEAR(l["vs"].get<double>(),
                  l["vs_initial"].get<double>() * std::sqrt(l["g_ratio"].get<double>()), 1e-9);
      EXPECT_EQ(l["top"].get<double>(), bottom) << where;
      bottom = l["bottom"].get<double>();
    }
    EXPECT_NEAR(bottom, 16.0, 1e-12) << profile;
    // The motion is read by check at the record's step and length, with the measures the JSON
    // gave of it.
    const auto check = run_command(wavetool, {"check", "s.csv", "--json"}, f.dir.path());
    ASSERT_EQ(check.status, 0) << check.err;
    const json c = json::parse(check.out);
    EXPECT_EQ(c["samples"], 7995);
    EXPECT_EQ(c["dt"], 0.005);
    for (const char* key : {"samples", "dt", "pga", "pga_time", "pgv", "pgd", "end_velocity",
                            "end_displacement", "arias", "d5_95"}) {
      EXPECT_EQ(j["surface"][key], c[key]) << profile << " " << key;
    }
    // The top sublayer's acceleration is the surface's, written with four significant digits.
    EXPECT_NEAR(j["layers"][0]["pga"].get<double>(), c["pga"].get<double>(),
                5e-4 * c["pga"].get<double>())
        << profile;
    // The table holds a row per sublayer, as the JSON does.
    const auto rows = csv_rows(read_file(f.dir / "r.csv"));
    ASSERT_EQ(rows.size(), j["layers"].size()) << profile;
    for (std::size_t k = 0; k < rows.size(); ++k) {
      ASSERT_EQ(rows[k].size(), 14u);
      EXPECT_EQ(rows[k][0], j["layers"][k]["name"]);
      EXPECT_EQ(std::stod(rows[k][5]), j["layers"][k]["g_ratio"].get<double>());
    }
  }
}

// One damped layer on an elastic half-space, surface over base outcrop:
// 1 / (cos k*H + i alpha* sin k*H), k* = omega / vs*, alpha* = rho1 vs1* / (rho2 vs2).
TEST(wavetool_site, a_linear_layer_has_its_closed_form_transfer_function) {
  const scratch_dir d;
  write_file(d / "one.toml",
             "[site]\nmethod = \"linear\"\ncomplex_modulus = \"simple\"\n"
             "[[layer]]\nname = \"soil\"\nthickness = 20.0\nvs = 200.0\nunit_weight = 18.0\n"
             "curve = \"linear\"\ndamping = 0.05\n"
             "[bedrock]\nvs = 600.0\nunit_weight = 21.0\ndamping = 0.0\n");
  std::string wave = "time(s),acc(gal)\r\n";
  for (int i = 0; i < 1000; ++i) {
    wave += std::to_string(i * 0.01) + "," +
            std::to_string(100.0 * std::sin(0.37 * i) * std::exp(-0.004 * i)) + "\r\n";
  }
  write_file(d / "w.csv", wave);
  const auto run =
      run_command(wavetool, {"site", "one.toml", "w.csv", "-o", "s.csv", "--json"}, d.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "linear: one pass with the small-strain properties\n");
  const json j = json::parse(run.out);
  for (const char* which : {"transfer_initial", "transfer_compatible"}) {
    const std::vector<double> freq = j[which]["frequency"];
    const std::vector<double> amp = j[which]["amplitude"];
    ASSERT_EQ(freq.size(), 1025u) << "1000 samples padded to 2048";
    // The step as the reader holds it, 0.01 in single precision.
    EXPECT_DOUBLE_EQ(freq[1], 1.0 / (2048.0 * static_cast<double>(0.01f)));
    using cplx = std::complex<double>;
    const cplx vs1 = 200.0 * std::sqrt(cplx(1.0, 2.0 * 0.05));
    const cplx alpha = 18.0 * vs1 / (21.0 * 600.0);
    double largest = 0.0;
    for (std::size_t k = 0; k < freq.size(); ++k) {
      const cplx kh = 2.0 * std::numbers::pi * freq[k] * 20.0 / vs1;
      const double want = 1.0 / std::abs(std::cos(kh) + cplx(0.0, 1.0) * alpha * std::sin(kh));
      largest = std::max(largest, std::abs(amp[k] - want) / want);
    }
    EXPECT_LT(largest, 1e-10) << which;
  }
}

// Taken up to the surface and back down: the surface motion given as a within motion at depth 0
// (--input within --input-depth 0), the outcrop motion asked for at the bedrock's top (--at 20
// --motion outcrop), is the wave given, to within what the four written digits of the surface
// motion leave (0.05 gal at 100 gal) grown by the column's damping at high frequencies.
TEST(wavetool_site, up_to_the_surface_and_back_down_gives_the_wave_given) {
  const scratch_dir d;
  write_file(d / "one.toml",
             "[site]\nmethod = \"linear\"\n"
             "[[layer]]\nthickness = 20.0\nvs = 200.0\nunit_weight = 18.0\n"
             "curve = \"linear\"\ndamping = 0.05\n"
             "[bedrock]\nvs = 600.0\nunit_weight = 21.0\n");
  // A tone under a sine-squared window over 6 s, then 4 s of rest for the column to ring down.
  std::string wave = "time(s),acc(gal)\r\n";
  std::vector<double> given;
  for (int i = 0; i < 1000; ++i) {
    const double window = i < 600 ? std::pow(std::sin(std::numbers::pi * i / 600.0), 2) : 0.0;
    char line[64];
    std::snprintf(line, sizeof line, "%.2f,%.6f\r\n", 0.01 * i,
                  100.0 * std::sin(0.37 * i) * window);
    wave += line;
    given.push_back(std::strtod(std::strchr(line, ',') + 1, nullptr));
  }
  write_file(d / "w.csv", wave);
  const auto up = run_command(wavetool, {"site", "one.toml", "w.csv", "-o", "s.csv"}, d.path());
  ASSERT_EQ(up.status, 0) << up.err;
  const auto down = run_command(wavetool,
                                {"site", "one.toml", "s.csv", "-o", "b.csv", "--input", "within",
                                 "--input-depth", "0", "--at", "20", "--motion", "outcrop"},
                                d.path());
  ASSERT_EQ(down.status, 0) << down.err;
  std::istringstream in(read_file(d / "b.csv"));
  std::string line;
  std::getline(in, line);
  std::size_t k = 0;
  double largest = 0.0;
  while (std::getline(in, line) && k < given.size()) {
    largest = std::max(largest, std::abs(std::stod(line.substr(line.find(',') + 1)) - given[k++]));
  }
  EXPECT_EQ(k, given.size());
  EXPECT_LT(largest, 0.2);
}

// Pass 1 uses the small-strain properties, which the record's strains change by far more than
// the tolerance: one pass cannot converge. The files are written all the same.
TEST(wavetool_site, one_pass_that_cannot_converge_writes_its_files_and_exits_3) {
  const site_folder f;
  std::string text = read_file(f.dir / "site_hardin.toml");
  text.replace(text.find("max_iterations = 30"), 19, "max_iterations = 1");
  write_file(f.dir / "p.toml", text);
  const auto run = run_command(
      wavetool, {"site", "p.toml", "w.csv", "-o", "s.csv", "--profile", "r.csv"}, f.dir.path());
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(
      run.err.starts_with("wavetool: p.toml: not converged after 1 pass (max_iterations): error "))
      << run.err;
  EXPECT_NE(run.err.find(" in layer \""), std::string::npos) << run.err;
  EXPECT_TRUE(run.err.ends_with(", tolerance 0.01\n")) << run.err;
  EXPECT_TRUE(fs::exists(f.dir / "r.csv"));
  const auto check = run_command(wavetool, {"check", "s.csv"}, f.dir.path());
  EXPECT_EQ(check.status, 0) << check.err;
}

// A table whose rows end at 0.001 %: the record's strains lie beyond, and the layer is named.
TEST(wavetool_site, a_strain_beyond_the_table_is_noted_with_its_layer) {
  const site_folder f;
  write_file(f.dir / "site_sand.txt", "0.0001 1.0 0.01\n0.001 0.9 0.02\n");
  const auto run =
      run_command(wavetool, {"site", "site_table.toml", "w.csv", "-o", "s.csv"}, f.dir.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(
      run.err.starts_with("wavetool: note: layer \"sand\": an effective strain lies "
                          "beyond its table's rows ("))
      << run.err;
}

struct refusal_row {
  std::vector<std::string> args;
  std::string err;  // the whole of standard error, or its start when within is given
  int status = 2;
  std::string within = {};  // what standard error holds after its start
};

void expect_refused(const site_folder& f, const refusal_row& r) {
  const std::size_t before = files_in(f.dir.path());
  const auto run = run_command(wavetool, r.args, f.dir.path());
  std::string line;
  for (const std::string& a : r.args) line += "[" + a + "]";
  EXPECT_EQ(run.status, r.status) << line;
  if (!r.within.empty()) {
    EXPECT_TRUE(run.err.starts_with(r.err) && run.err.find(r.within) != std::string::npos &&
                run.err.ends_with(" %); nothing written\n"))
        << line << "\n"
        << run.err;
  } else {
    EXPECT_EQ(run.err, r.err) << line;
  }
  EXPECT_EQ(run.out, "") << line;
  EXPECT_EQ(files_in(f.dir.path()), before) << line << ": something was written";
}

TEST(wavetool_site, bad_options_profiles_and_waves_are_refused_with_nothing_written) {
  const site_folder f;
  write_file(f.dir / "key.toml", "[site]\ncolour = 1\n[bedrock]\nvs = 400.0\nunit_weight = 19.0\n");
  write_file(f.dir / "vs.toml",
             "[[layer]]\nthickness = 4.0\nvs = -120.0\nunit_weight = 16.0\n"
             "curve = \"linear\"\ndamping = 0.02\n[bedrock]\nvs = 400.0\nunit_weight = 19.0\n");
  // 10 m of mud at 40 m/s, softening early: the record strains it beyond 10 %.
  write_file(f.dir / "soft.toml",
             "[[layer]]\nname = \"mud\"\nthickness = 10.0\nvs = 40.0\nunit_weight = 14.0\n"
             "curve = \"hardin-drnevich\"\ngamma_ref = 0.05\nh_max = 0.2\n"
             "[bedrock]\nvs = 400.0\nunit_weight = 19.0\n");
  write_file(f.dir / "one.csv", "time(s),acc(gal)\r\n0,1\r\n");
  const std::string out = "-o";
  const refusal_row rows[] = {
      {{"site", "site_hardin.toml", "w.csv"},
       "wavetool: site: --output is required: the motion to write (the fitted wave's layout)" +
           usage},
      {{"site", "site_hardin.toml"},
       "wavetool: site: WAVE is required: fitwave input layout or fitwave's fitted wave (gal)" +
           usage},
      {{"site", "site_hardin.toml", "w.csv", out, "s.csv", "--input", "borehole"},
       "wavetool: --input: expected outcrop or within, found \"borehole\"" + usage},
      {{"site", "site_hardin.toml", "w.csv", out, "s.csv", "--motion", ""},
       "wavetool: --motion: expected within or outcrop, found \"\"" + usage},
      {{"site", "site_hardin.toml", "w.csv", out, "s.csv", "--at", "-1"},
       "wavetool: --at: expected a depth of 0 m or more, found \"-1\"" + usage},
      {{"site", "site_hardin.toml", "w.csv", out, "s.csv", "--input-depth", "deep"},
       "wavetool: --input-depth: expected a depth of 0 m or more, found \"deep\"" + usage},
      {{"site", "site_hardin.toml", "w.csv", out, "s.csv", "--profile", ""},
       "wavetool: --profile: expected a value, found \"\" (an empty value)" + usage},
      {{"site", "site_hardin.toml", "w.csv", out, "-", "--json"},
       "wavetool: --json: the JSON and -o - both take standard output" + usage},
      {{"site", "-", "-", out, "s.csv"},
       "wavetool: PROFILE: PROFILE and WAVE cannot both be standard input" + usage},
      {{"site", "key.toml", "w.csv", out, "s.csv"},
       "wavetool: key.toml:2: unknown key \"colour\" in [site]\n",
       1},
      {{"site", "vs.toml", "w.csv", out, "s.csv"},
       "wavetool: vs.toml:3: vs: must be positive\n",
       1},
      {{"site", "none.toml", "w.csv", out, "s.csv"},
       "wavetool: none.toml: cannot be read: No such file or directory\n",
       1},
      {{"site", "site_hardin.toml", "one.csv", out, "s.csv"},
       "wavetool: one.csv: expected a header line and at least 2 lines of time and acceleration, "
       "found 1\n",
       1},
      {{"site", "soft.toml", "w.csv", out, "s.csv", "--profile", "r.csv"},
       "wavetool: soft.toml: layer \"mud\", sublayer ",
       1,
       " m): peak strain beyond what equivalent-linear properties can stand for ("},
  };
  for (const refusal_row& r : rows) expect_refused(f, r);
}
}  // namespace
