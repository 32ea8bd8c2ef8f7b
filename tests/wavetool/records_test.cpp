// The record readers on records written by hand in every format, on a real PEER file, and on
// text that is not what its format promises.
#include "records.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "wavetool/record.h"

namespace {

using wavetool::accel_unit;
using wavetool::record_format;
using wavetool::record_options;

// Command-line options as plain values: dt 0 and column 0 stand for "not given".
struct opts {
  double dt = 0.0;
  int column = 0;
  const char* component = "NS";
};
record_options options_of(const opts& o) {
  record_options r;
  if (o.dt > 0.0) r.dt = o.dt;
  r.column = o.column;
  r.component = o.component;
  return r;
}
constexpr opts with_dt(double dt) {
  return {dt, 0, "NS"};
}
constexpr opts with_column(int column) {
  return {0.0, column, "NS"};
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
       0},
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
  };
  for (const row& r : rows) {
    const wavetool::parsed_record p =
        wavetool::parse_record(r.text, r.format, options_of(r.options));
    ASSERT_TRUE(p.ok()) << r.what << ": line " << p.error->line << ": " << p.error->message;
    EXPECT_EQ(p.rec.values, r.values) << r.what;
    EXPECT_DOUBLE_EQ(p.rec.dt, r.dt) << r.what;
    EXPECT_EQ(p.rec.unit, r.unit) << r.what;
    EXPECT_EQ(p.rec.notes.size(), r.notes) << r.what;
  }
}

TEST(record_readers, knet_peak_disagreeing_with_its_header_is_noted) {
  std::string text(wavetool_test::knet);
  text.replace(text.find("2.5\n"), 4, "2.6\n");
  const wavetool::parsed_record p = wavetool::parse_knet(text);
  ASSERT_TRUE(p.ok());
  ASSERT_EQ(p.rec.notes.size(), 2u);
  EXPECT_EQ(p.rec.notes[1],
            "line 15: Max. Acc. (gal) is 2.6 but the peak about the mean is 2.5 gal");
}

TEST(record_readers, real_peer_file) {
  std::ifstream in(GM_WAVETOOL_DATA "/RSN753_LOMAP_CLS000.AT2", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const wavetool::parsed_record p = wavetool::parse_at2(text.str());
  ASSERT_TRUE(p.ok()) << p.error->message;
  ASSERT_EQ(p.rec.values.size(), 7995u);
  EXPECT_EQ(p.rec.dt, 0.005);
  EXPECT_EQ(p.rec.values.front(), 0.1394908e-2);
  EXPECT_EQ(p.rec.values.back(), 0.1801168e-4);
  EXPECT_EQ(wavetool::detect_format(text.str()), record_format::at2);
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
  };
  for (const row& r : rows) {
    const wavetool::parsed_record p =
        wavetool::parse_record(r.text, r.format, options_of(r.options));
    ASSERT_FALSE(p.ok()) << r.text;
    EXPECT_EQ(p.error->line, r.line) << r.text;
    EXPECT_EQ(p.error->message, r.message) << r.text;
  }
}

TEST(detect_format, decided_from_the_first_lines) {
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
  };
  for (const row& r : rows) EXPECT_EQ(wavetool::detect_format(r.text), r.format) << r.text;
}

}  // namespace
