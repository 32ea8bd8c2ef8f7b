// wavetool import on records as they come: byte-order marks, values written several a line,
// values beyond single precision, options that do not apply, odd fields. Each row gives the
// files before, the command, and the exit status, standard error and every file after.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "records.h"
#include "run_command.h"

namespace {

using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;
using wavetool_test::run_command;
const std::string& usage = wavetool_test::usage_hint;

const std::filesystem::path wavetool = GM_WAVETOOL_PATH;
const std::string data = GM_WAVETOOL_DATA;

// Every file of a folder with its bytes; a folder as "<folder>".
std::map<std::string, std::string> files_in(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    files[e.path().filename().string()] = e.is_directory() ? "<folder>" : read_file(e.path());
  }
  return files;
}

std::string elcentro() {
  return read_file(data + "/elcentro_1940_ns.dat");
}

const std::string header = "time(s),acc(gal)\r\n";

TEST(wavetool_import, records_as_they_come) {
  struct row {
    const char* what;
    std::map<std::string, std::string> before;  // "<folder>" makes a folder
    std::vector<std::string> args;              // after "import"
    int status;
    std::string err;
    std::map<std::string, std::string> after;  // besides the files before
  };
  const std::string knet_head =
      "Origin Time       2024/01/01 16:10:00\nSampling Freq(Hz) 100Hz\n"
      "Scale Factor      1(gal)/10000\nMax. Acc. (gal)   2.513\n";
  const std::string bom = "\xEF\xBB\xBF";
  const std::string long_field = "\x01" + std::string(300, 'z');
  const row rows[] = {
      // Values several a line: refused unless --format values or --column says which.
      {"eight values a line, auto",
       {{"r.dat", elcentro()}},
       {"r.dat", "-o", "w.csv", "--dt", "0.02"},
       1,
       "wavetool: r.dat: read as columns\n"
       "wavetool: r.dat:7: expected 1 or 2 numbers a line, found 8: give --column N for a table "
       "of columns, or --format values for values written several a line\n",
       {}},
      {"values, one sample per number, the count noted",
       {{"r.txt", "# 5 points, 0.01 s\n1 -2 3\n\n4 5\n"}},
       {"r.txt", "-o", "w.csv", "--format", "values", "--dt", "0.01"},
       0,
       "wavetool: r.txt: 5 values from lines 2 to 4; a count given in comment lines is not "
       "checked\n",
       {{"w.csv", header + "0,1\r\n0.01,-2\r\n0.02,3\r\n0.03,4\r\n0.04,5\r\n"}}},
      {"values without --dt",
       {{"r.txt", "1 2 3\n"}},
       {"r.txt", "-o", "w.csv", "--format", "values"},
       1,
       "wavetool: r.txt: expected --dt: values carry no times\n",
       {}},
      {"a table of three columns, --column 2",
       {{"r.txt", "0 1 9\n0.01 2 9\n"}},
       {"r.txt", "-o", "w.csv", "--column", "2"},
       0,
       "wavetool: r.txt: read as columns\n",
       {{"w.csv", header + "0,1\r\n0.01,2\r\n"}}},
      // AT2: NPTS= 2 is a record; values past NPTS are left out with a note.
      {"AT2 of two points",
       {{"r.AT2", "a\nb\nc\nNPTS= 2, DT= .01 SEC\n.5 -.25\n"}},
       {"r.AT2", "-o", "w.csv"},
       0,
       "wavetool: r.AT2: read as PEER NGA (AT2)\n",
       {{"w.csv", header + "0,490.332489\r\n0.01,-245.166245\r\n"}}},
      {"AT2 with values past NPTS",
       {{"r.AT2", "a\nb\nc\nNPTS= 2, DT= .01 SEC\n.5\n-.25 .1 .2\n"}},
       {"r.AT2", "-o", "w.csv", "--format", "at2"},
       0,
       "wavetool: r.AT2:6: 2 values after the 2 that NPTS gives, not imported\n",
       {{"w.csv", header + "0,490.332489\r\n0.01,-245.166245\r\n"}}},
      {"AT2 value of 1e38 g",
       {{"r.AT2", "a\nb\nc\nNPTS= 2, DT= .01 SEC\n.5\n1E38\n"}},
       {"r.AT2", "-o", "w.csv"},
       1,
       "wavetool: r.AT2: read as PEER NGA (AT2)\n"
       "wavetool: r.AT2:6: expected an acceleration within single precision (3.4e38 gal), "
       "found 1e+38 g\n",
       {}},
      {"AT2 with --dt",
       {{"r.AT2", std::string(wavetool_test::at2_old)}},
       {"r.AT2", "-o", "w.csv", "--dt", "0.01"},
       1,
       "wavetool: r.AT2: read as PEER NGA (AT2)\n"
       "wavetool: r.AT2: --dt does not apply to PEER NGA (AT2) records; leave it out\n",
       {}},
      {"AT2 with --column",
       {{"r.AT2", std::string(wavetool_test::at2_old)}},
       {"r.AT2", "-o", "w.csv", "--column", "2"},
       1,
       "wavetool: r.AT2: read as PEER NGA (AT2)\n"
       "wavetool: r.AT2: --column does not apply to PEER NGA (AT2) records; leave it out\n",
       {}},
      {"AT2 with --component",
       {{"r.AT2", std::string(wavetool_test::at2_old)}},
       {"r.AT2", "-o", "w.csv", "--component", "EW"},
       1,
       "wavetool: r.AT2: read as PEER NGA (AT2)\n"
       "wavetool: r.AT2: --component does not apply to PEER NGA (AT2) records; leave it out\n",
       {}},
      // K-NET: the header's Max. Acc. holds to its own last decimal.
      {"K-NET peak 2.5134 against Max. Acc. 2.513",
       {{"r.txt", knet_head + "25134 -25134\n"}},
       {"r.txt", "-o", "w.csv"},
       0,
       "wavetool: r.txt: read as K-NET/KiK-net ASCII\n",
       {{"w.csv", header + "0,2.51340008\r\n0.01,-2.51340008\r\n"}}},
      {"K-NET peak 2.5136 against Max. Acc. 2.513",
       {{"r.txt", knet_head + "25136 -25136\n"}},
       {"r.txt", "-o", "w.csv"},
       0,
       "wavetool: r.txt: read as K-NET/KiK-net ASCII\n"
       "wavetool: r.txt:4: Max. Acc. (gal) is \"2.513\" but the peak about the mean is 2.5136 "
       "gal\n",
       {{"w.csv", header + "0,2.51360011\r\n0.01,-2.51360011\r\n"}}},
      // A byte-order mark is no part of the record.
      {"K-NET after a byte-order mark",
       {{"r.txt", bom + knet_head + "25134 -25134\n"}},
       {"r.txt", "-o", "w.csv"},
       0,
       "wavetool: r.txt: read as K-NET/KiK-net ASCII\n",
       {{"w.csv", header + "0,2.51340008\r\n0.01,-2.51340008\r\n"}}},
      {"columns after a byte-order mark",
       {{"r.txt", bom + "0 7\n0.01 8\n"}},
       {"r.txt", "-o", "w.csv"},
       0,
       "wavetool: r.txt: read as columns\n",
       {{"w.csv", header + "0,7\r\n0.01,8\r\n"}}},
      {"columns value of 1e39 gal",
       {{"r.txt", "0 7\n0.01 1e39\n"}},
       {"r.txt", "-o", "w.csv"},
       1,
       "wavetool: r.txt: read as columns\n"
       "wavetool: r.txt:2: expected an acceleration within single precision (3.4e38 gal), "
       "found 1e+39 gal\n",
       {}},
      // Messages: one short line of plain text.
      {"a long field with a control byte",
       {{"r.txt", "0 7\n0.01 " + long_field + "\n"}},
       {"r.txt", "-o", "w.csv"},
       1,
       "wavetool: r.txt: read as columns\n"
       "wavetool: r.txt:2: expected a number, found \"\\x01" +
           std::string(39, 'z') + "...\"\n",
       {}},
      {"a folder as the record",
       {{"d", "<folder>"}},
       {"d", "-o", "w.csv"},
       1,
       "wavetool: d: cannot be read: Is a directory\n",
       {}},
      {"--dt 0",
       {{"r.txt", "1\n2\n"}},
       {"r.txt", "-o", "w.csv", "--dt", "0"},
       2,
       "wavetool: --dt: expected a step of more than 0 s, found \"0\"" + usage,
       {}},
      {"--start -1",
       {{"r.txt", "1\n2\n"}},
       {"r.txt", "-o", "w.csv", "--dt", "1", "--start", "-1"},
       2,
       "wavetool: --start: expected a time of 0 s or more, found \"-1\"" + usage,
       {}},
      {"--column 0",
       {{"r.txt", "0 1 9\n0.01 2 9\n"}},
       {"r.txt", "-o", "w.csv", "--column", "0"},
       2,
       "wavetool: --column: expected a column number from 1 to 1000, found \"0\"" + usage,
       {}},
  };
  for (const row& r : rows) {
    const scratch_dir dir;
    for (const auto& [name, bytes] : r.before) {
      if (bytes == "<folder>") {
        std::filesystem::create_directory(dir / name);
      } else {
        write_file(dir / name, bytes);
      }
    }
    std::vector<std::string> args{"import"};
    args.insert(args.end(), r.args.begin(), r.args.end());
    const auto run = run_command(wavetool, args, dir.path());
    EXPECT_EQ(run.status, r.status) << r.what;
    EXPECT_EQ(run.out, "") << r.what;
    EXPECT_EQ(run.err, r.err) << r.what;
    std::map<std::string, std::string> want = r.before;
    want.insert(r.after.begin(), r.after.end());
    EXPECT_EQ(files_in(dir.path()), want) << r.what;
  }
}

// The El Centro record of eight values a line in g, imported as values: its 1560 numbers, each
// read here by the C++ library, times 980.665 in double and rounded to single precision.
TEST(wavetool_import, elcentro_as_values_equals_an_independent_conversion) {
  const scratch_dir dir;
  write_file(dir / "r.dat", elcentro());
  const auto run = run_command(
      wavetool,
      {"import", "r.dat", "-o", "w.csv", "--format", "values", "--dt", "0.02", "--units", "g"},
      dir.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err,
            "wavetool: r.dat: 1560 values from lines 7 to 201; a count given in comment lines is "
            "not checked\n");
  std::vector<float> want;
  std::istringstream in(elcentro());
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    for (double g = 0.0; fields >> g;) want.push_back(static_cast<float>(g * 980.665));
  }
  ASSERT_EQ(want.size(), 1560u);
  const std::string wave = read_file(dir / "w.csv");
  ASSERT_TRUE(wave.starts_with(header));
  std::vector<float> got;
  std::vector<double> times;
  std::istringstream rows(wave.substr(header.size()));
  for (std::string line; std::getline(rows, line);) {
    double t = 0.0, a = 0.0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf,%lf", &t, &a), 2) << line;
    times.push_back(t);
    got.push_back(static_cast<float>(a));
  }
  EXPECT_EQ(got, want);
  ASSERT_EQ(times.size(), 1560u);
  EXPECT_EQ(times[1], 0.02);
  EXPECT_DOUBLE_EQ(times.back(), 1559 * 0.02);
}

}  // namespace
