// `wavetool export` run as scripts run it: each layout read back, integrated from rest, scaled
// exactly, and AT2 read back by import to the same samples.
#include <gtest/gtest.h>

#include <cstdlib>

#include "suite_scratch.h"

namespace {

using namespace suite_test;

// The numbers of a file's lines after those starting with '#': column col (from 0) of each.
std::vector<double> column_of(const std::string& text, std::size_t col, std::size_t skip = 0) {
  std::vector<double> v;
  std::size_t n = 0;
  for (const std::string& line : lines_of(text)) {
    if (line.starts_with('#') || n++ < skip) continue;
    std::string blanks = line;
    for (char& ch : blanks) ch = ch == ',' ? ' ' : ch;
    std::istringstream in(blanks);
    std::string field;
    for (std::size_t k = 0; k <= col; ++k) in >> field;
    v.push_back(std::strtod(field.c_str(), nullptr));
  }
  return v;
}

TEST(wavetool_export, layouts_read_back_and_integrate_from_rest) {
  const scratch_dir d;
  // 2 gal held for 1 s: the trapezoidal rule is exact here, v = 2t cm/s and d = t^2 cm, up to
  // the rounding of the sums.
  std::string constant = "time(s),acc(gal)\n";
  for (int i = 0; i <= 100; ++i) constant += std::to_string(i) + "e-2,2\n";
  write_file(d / "constant.csv", constant);
  fs::copy_file(GM_GOLDEN_DIR "/seed1.csv", d / "seed1.csv");
  struct row {
    const char* args;
    const char* header;
  };
  const row rows[] = {
      {"constant.csv --to columns --what displacement -o x.txt", "# time(s) displacement(cm)"},
      {"constant.csv --to columns --what velocity -o x.txt", "# time(s) velocity(cm/s)"},
      // The opensees layout holds the values alone; its step and unit go to standard error.
      {"constant.csv --to opensees --what displacement --scale 0.01 -o x.txt",
       "wavetool: x.txt: dt 0.01 s, displacement(cm) times 0.01, one value a line\n"},
  };
  for (const row& c : rows) {
    std::vector<std::string> args{"export"};
    std::istringstream in(c.args);
    for (std::string a; in >> a;) args.push_back(a);
    const run_result r = run(d.path(), args);
    ASSERT_EQ(r.status, 0) << c.args << r.err;
    const bool opensees = std::string(c.args).find("opensees") != std::string::npos;
    EXPECT_EQ(r.out + r.err, opensees ? c.header : "");
    const std::string text = read_file(d / "x.txt");
    if (!opensees) {
      EXPECT_EQ(lines_of(text)[0], c.header);
    }
    const std::vector<double> x = column_of(text, opensees ? 0 : 1);
    ASSERT_EQ(x.size(), 101u) << c.args;
    for (std::size_t i = 0; i <= 100; ++i) {
      // The step as the wave is read: 0.01 in single precision, widened.
      const double t = static_cast<double>(i) * static_cast<double>(0.01f);
      const double expected = std::string(c.args).find("velocity") != std::string::npos ? 2.0 * t
                              : opensees ? 0.01 * t * t
                                         : t * t;
      EXPECT_NEAR(x[i], expected, 1e-12 * (1.0 + expected)) << c.args << " sample " << i;
    }
    if (!opensees) {
      const std::vector<double> time = column_of(text, 0);
      EXPECT_EQ(time[37], 0.37);
    }
  }
  // OpenSees values: the wave times the scale, exactly.
  ASSERT_EQ(
      run(d.path(), {"export", "seed1.csv", "--to", "opensees", "--scale", "2.5", "-o", "o.txt"})
          .status,
      0);
  const std::vector<double> wave = column_of(read_file(d / "seed1.csv"), 1, 1);
  const std::vector<double> scaled = column_of(read_file(d / "o.txt"), 0);
  ASSERT_EQ(wave.size(), 8192u);
  ASSERT_EQ(scaled.size(), wave.size());
  for (std::size_t i = 0; i < wave.size(); ++i) {
    ASSERT_EQ(scaled[i], 2.5 * static_cast<double>(static_cast<float>(wave[i]))) << i;
  }
  // AT2 in g, five values a line, read back by import to the same single-precision values.
  ASSERT_EQ(run(d.path(), {"export", "seed1.csv", "--to", "at2", "-o", "s.AT2"}).status, 0);
  const std::vector<std::string> at2 = lines_of(read_file(d / "s.AT2"));
  ASSERT_GE(at2.size(), 5u);
  EXPECT_EQ(at2[2], "ACCELERATION TIME SERIES IN UNITS OF G");
  EXPECT_EQ(at2[3], "NPTS=    8192, DT= 0.01 SEC");
  EXPECT_EQ(at2.size(), 4u + 8192u / 5u + 1u);
  const run_result back = run(d.path(), {"import", "s.AT2", "-o", "back.csv"});
  ASSERT_EQ(back.status, 0) << back.err;
  const std::vector<double> again = column_of(read_file(d / "back.csv"), 1, 1);
  ASSERT_EQ(again.size(), wave.size());
  for (std::size_t i = 0; i < wave.size(); ++i) {
    ASSERT_EQ(static_cast<float>(again[i]), static_cast<float>(wave[i])) << i;
  }
  // Bad input: one line, nothing written.
  const run_result missing = run(d.path(), {"export", "none.csv", "--to", "at2", "-o", "n.AT2"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.err.starts_with("wavetool: none.csv: ")) << missing.err;
  EXPECT_FALSE(fs::exists(d / "n.AT2"));
}

}  // namespace
