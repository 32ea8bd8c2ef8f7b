// The record readers on records written by hand in every format, on a real PEER file, and on
// text that is not what its format promises.
#include "records.h"

#include <gtest/gtest.h>

#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <vector>

#include "waveio/records.h"

namespace {

using waveio::accel_unit;
using waveio::record_format;
using waveio::record_options;

// Command-line options as plain values: dt 0, column 0 and component nullptr stand for "not given".
struct opts {
  double dt = 0.0;
  int column = 0;
  const char* component = nullptr;
};
record_options options_of(const opts& o) {
  record_options r;
  if (o.dt > 0.0) r.dt = o.dt;
  r.column = o.column;
  if (o.component) r.component = o.component;
  return r;
}
constexpr opts with_dt(double dt) {
  return {dt, 0, nullptr};
}
constexpr opts with_column(int column) {
  return {0.0, column, nullptr};
}
constexpr opts with_component(const char* c) {
  return {0.0, 0, c};
}

TEST(record_readers, hand_written_records) {
  struct row {
    const char* what;
    std::string_view text;
    record_format format;
    opts options;
    std::vector<double> values;
    double dt;
    accel_unit unit;
    std::size_t notes;
  };
  const row rows[] = {
      {"AT2, NPTS= DT=",
       wavetool_test::at2_new,
       record_format::at2,
       {},
       {0.1, -0.2, 0.05, 1.0, -1.0, 0.25, 0.5},
       0.01,
       accel_unit::g,
       1},  // the eighth number, past NPTS
      {"AT2, NPTS, DT",
       wavetool_test::at2_old,
       record_format::at2,
       {},
       {0.1, 0.2, -0.3},
       0.02,
       accel_unit::g,
       0},
      {"K-NET",
       wavetool_test::knet,
       record_format::knet,
       {},
       {0, 1, -1, 2, -2, 0, 0, 0, 2.5, -2.5},
       0.01,
       accel_unit::gal,
       1},  // the direction
      {"JMA NS",
       wavetool_test::jma,
       record_format::jma,
       {},
       {1.5, -3.0, 0.75},
       0.02,
       accel_unit::gal,
       0},
      {"JMA EW",
       wavetool_test::jma,
       record_format::jma,
       with_component("EW"),
       {-2.25, 4.0, 0.0},
       0.02,
       accel_unit::gal,
       0},
      {"JMA UD",
       wavetool_test::jma,
       record_format::jma,
       with_component("UD"),
       {0.125, -0.5, 1.0},
       0.02,
       accel_unit::gal,
       0},
      {"columns, time and acc",
       wavetool_test::columns,
       record_format::columns,
       {},
       {1.0, -2.5, 3.25},
       0.01,
       accel_unit::gal,
       0},
      {"columns, acc alone",
       "% comment\n1\n-2e1\n3D-1\n+4\n",
       record_format::columns,
       with_dt(0.005),
       {1.0, -20.0, 0.3, 4.0},
       0.005,
       accel_unit::gal,
       0},
      {"columns, third column",
       "0,9,1.5\r\n0.02,9,-1.5\r\n",
       record_format::columns,
       with_column(3),
       {1.5, -1.5},
       0.02,
       accel_unit::gal,
       0},
      {"AT2, NPTS= 2 (the fewest)",
       "a\nb\nc\nNPTS= 2, DT= .01 SEC\n.5 -.25\n",
       record_format::at2,
       {},
       {0.5, -0.25},
       0.01,
       accel_unit::g,
       0},
      {"columns after a byte-order mark keep their first sample",
       "\xEF\xBB\xBF"
       "0 7\n0.01 8\n",
       record_format::columns,
       {},
       {7.0, 8.0},
       0.01,
       accel_unit::gal,
       0},
      {"columns, a line of separators alone is blank",
       ",\n0 1\n ,, \n0.01 2\n",
       record_format::columns,
       {},
       {1.0, 2.0},
       0.01,
       accel_unit::gal,
       0},
      {"values, several a line, comments and blank lines between",
       "# 5 points\n 1.0  -2.0 .5\n\n% more\n4E0 5\n",
       record_format::values,
       with_dt(0.02),
       {1.0, -2.0, 0.5, 4.0, 5.0},
       0.02,
       accel_unit::gal,
       1},  // the count and the lines
      {"values after a byte-order mark",
       "\xEF\xBB\xBF"
       "3 4\n",
       record_format::values,
       with_dt(0.01),
       {3.0, 4.0},
       0.01,
       accel_unit::gal,
       1},
  };
  for (const row& r : rows) {
    const waveio::parsed_record p = waveio::parse_record(r.text, r.format, options_of(r.options));
    ASSERT_TRUE(p.ok()) << r.what << ": line " << p.error->line << ": " << p.error->message;
    EXPECT_EQ(p.rec.values, r.values) << r.what;
    EXPECT_DOUBLE_EQ(p.rec.dt, r.dt) << r.what;
    EXPECT_EQ(p.rec.unit, r.unit) << r.what;
    EXPECT_EQ(p.rec.notes.size(), r.notes) << r.what;
  }
}

// The header gives the peak to its own last decimal: a peak that rounds to it agrees.
TEST(record_readers, knet_peak_disagreeing_with_its_header_is_noted) {
  struct row {
    const char* max_acc;  // the header's Max. Acc. (gal)
    const char* scale;    // the header's Scale Factor
    const char* counts;   // a count and its opposite: the mean is 0, the peak count x scale
    const char* note;     // nullptr: none
  };
  const row rows[] = {
      {"2.6", "2000(gal)/8000", "10 -10",
       "Max. Acc. (gal) is \"2.6\" but the peak about the mean is 2.5 gal"},
      {"2.513", "1(gal)/10000", "25134 -25134", nullptr},
      {"2.513", "1(gal)/10000", "25136 -25136",
       "Max. Acc. (gal) is \"2.513\" but the peak about the mean is 2.5136 gal"},
      {"2.5134", "1(gal)/10000", "25134 -25134", nullptr},
      {"2.5134", "1(gal)/10000", "25130 -25130",
       "Max. Acc. (gal) is \"2.5134\" but the peak about the mean is 2.513 gal"},
  };
  for (const row& r : rows) {
    const std::string text = std::string("Sampling Freq(Hz) 100Hz\nScale Factor ") + r.scale +
                             "\nMax. Acc. (gal) " + r.max_acc + "\n" + r.counts + "\n";
    const waveio::parsed_record p = waveio::parse_knet(text);
    ASSERT_TRUE(p.ok()) << text;
    if (!r.note) {
      EXPECT_TRUE(p.rec.notes.empty()) << text << p.rec.notes[0].text;
      continue;
    }
    ASSERT_EQ(p.rec.notes.size(), 1u) << text;
    EXPECT_EQ(p.rec.notes[0].line, 3) << text;
    EXPECT_EQ(p.rec.notes[0].text, r.note) << text;
  }
}

TEST(record_readers, real_peer_file) {
  std::ifstream in(GM_WAVETOOL_DATA "/RSN753_LOMAP_CLS000.AT2", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const waveio::parsed_record p = waveio::parse_at2(text.str());
  ASSERT_TRUE(p.ok()) << p.error->message;
  ASSERT_EQ(p.rec.values.size(), 7995u);
  EXPECT_EQ(p.rec.dt, 0.005);
  EXPECT_EQ(p.rec.values.front(), 0.1394908e-2);
  EXPECT_EQ(p.rec.values.back(), 0.1801168e-4);
  EXPECT_EQ(waveio::detect_format(text.str()), record_format::at2);
}

TEST(record_readers, text_that_breaks_its_format_names_line_and_expectation) {
  struct row {
    record_format format;
    std::string_view text;
    opts options;
    int line;
    const char* message;
  };
  const row rows[] = {
      {record_format::at2,
       "a\nb\nc\n",
       {},
       3,
       "expected four header lines, the fourth giving NPTS and DT"},
      {record_format::at2,
       wavetool_test::knet,
       {},
       4,
       "expected \"NPTS= n, DT= step SEC\" or \"n step NPTS, DT\""},
      {record_format::at2,
       "a\nb\nc\nNPTS= 5, DT= .01 SEC\n.1 .2\n.3\n",
       {},
       6,
       "expected 5 values (NPTS), found only 3"},
      {record_format::at2,
       "a\nb\nc\nNPTS= 3, DT= .01 SEC\n.1 .2\n.3x\n",
       {},
       6,
       "expected a number, found \".3x\""},
      {record_format::at2,
       "a\nb\nc\nNPTS= 3, DT= 0 SEC\n.1 .2 .3\n",
       {},
       4,
       "expected at least 2 points and a positive step, found NPTS 3 and DT 0"},
      {record_format::at2, "a\nb\nc\nNPTS= 1e12, DT= .01 SEC\n.1 .2 .3\n", opts{}, 4,
       "expected at least 2 points and a positive step, found NPTS 1e+12 and DT 0.01"},
      {record_format::knet,
       "Sampling Freq(Hz) 100Hz\n1 2 3\n",
       {},
       2,
       "expected a \"Scale Factor\" line in the header before the counts"},
      {record_format::knet,
       "Scale Factor 1(gal)/2\n1 2 3\n",
       {},
       2,
       "expected a \"Sampling Freq(Hz)\" line in the header before the counts"},
      {record_format::knet,
       "Sampling Freq(Hz) fast\n",
       {},
       1,
       "expected a sampling rate like \"100Hz\", found \"fast\""},
      {record_format::knet,
       "Sampling Freq(Hz) 100Hz\nScale Factor 1(gal)/2\n1 2\n3 4.5\n",
       {},
       4,
       "expected an integer count, found \"4.5\""},
      {record_format::jma, wavetool_test::jma, with_component("NE"), 7,
       "expected a line naming the columns (NS, EW, UD) with NE, found \"NS, EW, UD\""},
      {record_format::jma,
       "SAMPLING RATE= 100Hz\nUNIT = kine\n",
       {},
       2,
       "expected the unit gal, m/s2 or g, found \"kine\""},
      {record_format::jma, "SAMPLING RATE= 100Hz\nNS,EW,UD\n1,2,3\n4,5\n", with_component("UD"), 4,
       "expected a value in column 3 (UD)"},
      {record_format::columns, "t a\n0 1\n0.01 x\n", opts{}, 3, "expected a number, found \"x\""},
      {record_format::columns,
       "0 1\n0.01 2 3\n",
       {},
       2,
       "expected 2 values as on the first line, found 3"},
      {record_format::columns,
       "1\n2\n",
       {},
       1,
       "expected a time and an acceleration, or --dt for a single column"},
      {record_format::columns, "0 1 2\n", with_column(4), 1,
       "expected at least 4 columns, found 3"},
      {record_format::columns, "# only\n0 1\n", opts{}, 0, "expected at least 2 samples, found 1"},
      {record_format::columns, "0 1\n0 2\n", opts{}, 0, "expected a positive time step, found 0"},
      {record_format::columns, "0 1\n0.01 2\n0.02 3\n0.04 4\n", opts{}, 4,
       "expected the time 0.03 (a constant step of 0.01 s), found 0.04"},
      // Three or more numbers a line: a table or wrapped values, never guessed.
      {record_format::columns, "# g\n1 2 3\n4 5 6\n", opts{}, 2,
       "expected 1 or 2 numbers a line, found 3: give --column N for a table of columns, or "
       "--format values for values written several a line"},
      {record_format::values, "1 2 3\n", opts{}, 0, "expected --dt: values carry no times"},
      {record_format::values, "1 2\n3 x\n", with_dt(0.01), 2, "expected a number, found \"x\""},
      {record_format::values, "# only\n7\n", with_dt(0.01), 0,
       "expected at least 2 values, found 1"},
      // A sign inside a field is two numbers run together, not an exponent.
      {record_format::values, "1 2\n0.5-3\n", with_dt(0.01), 2,
       "expected a number, found \"0.5-3\""},
      // Options that do not apply are refused, not ignored.
      {record_format::at2, wavetool_test::at2_old, with_dt(0.01), 0,
       "--dt does not apply to PEER NGA (AT2) records; leave it out"},
      {record_format::at2, wavetool_test::at2_old, with_column(2), 0,
       "--column does not apply to PEER NGA (AT2) records; leave it out"},
      {record_format::at2, wavetool_test::at2_old, with_component("EW"), 0,
       "--component does not apply to PEER NGA (AT2) records; leave it out"},
      {record_format::knet, wavetool_test::knet, with_dt(0.01), 0,
       "--dt does not apply to K-NET/KiK-net ASCII records; leave it out"},
      {record_format::jma, wavetool_test::jma, with_column(2), 0,
       "--column does not apply to JMA CSV records; leave it out"},
      {record_format::columns, wavetool_test::columns, with_component("NS"), 0,
       "--component does not apply to columns records; leave it out"},
      {record_format::values, "1 2\n", opts{0.01, 1, nullptr}, 0,
       "--column does not apply to values records; leave it out"},
      // Values beyond single precision once in gal, refused at their line.
      {record_format::at2,
       "a\nb\nc\nNPTS= 3, DT= .01 SEC\n.1 .2\n1E38\n",
       {},
       6,
       "expected an acceleration within single precision (3.4e38 gal), found 1e+38 g"},
      {record_format::columns,
       "0 1\n0.01 1e39\n",
       {},
       2,
       "expected an acceleration within single precision (3.4e38 gal), found 1e+39 gal"},
      {record_format::values, "1 2\n3 1e400\n", with_dt(0.01), 2,
       "expected an acceleration within single precision (3.4e38 gal), found inf gal"},
      {record_format::jma,
       "SAMPLING RATE= 100Hz\nUNIT= g\nNS,EW,UD\n1,2,3\n1e36,0,0\n",
       {},
       5,
       "expected an acceleration within single precision (3.4e38 gal), found 1e+36 g"},
      {record_format::knet,
       "Sampling Freq(Hz) 100Hz\nScale Factor 1e38(gal)/1\n4 -4\n",
       {},
       3,
       "expected an acceleration within single precision (3.4e38 gal), found 4e+38 gal"},
      // A step that single precision holds as 0.
      {record_format::at2,
       "a\nb\nc\nNPTS= 2, DT= 1E-50 SEC\n.1 .2\n",
       {},
       4,
       "expected at least 2 points and a positive step, found NPTS 2 and DT 1e-50"},
      {record_format::values, "1 2\n", with_dt(1e-50), 0,
       "expected a positive time step, found 1e-50"},
  };
  for (const row& r : rows) {
    const waveio::parsed_record p = waveio::parse_record(r.text, r.format, options_of(r.options));
    ASSERT_FALSE(p.ok()) << r.text << " " << r.message;
    EXPECT_EQ(p.error->line, r.line) << r.text;
    EXPECT_EQ(p.error->message, r.message) << r.text;
  }
}

TEST(detect_format, decided_from_the_first_lines) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string knet_bom = bom + std::string(wavetool_test::knet);
  const std::string at2_bom = bom + std::string(wavetool_test::at2_old);
  struct row {
    std::string_view text;
    record_format format;
  };
  const row rows[] = {
      {wavetool_test::at2_new, record_format::at2},
      {wavetool_test::at2_old, record_format::at2},
      {wavetool_test::knet, record_format::knet},
      {wavetool_test::jma, record_format::jma},
      {wavetool_test::columns, record_format::columns},
      {"", record_format::columns},
      {knet_bom, record_format::knet},
      {at2_bom, record_format::at2},
  };
  for (const row& r : rows) EXPECT_EQ(waveio::detect_format(r.text), r.format) << r.text;
}

}  // namespace
