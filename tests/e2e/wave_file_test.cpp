// Bad input wave files for fitwave: binary bytes, huge lines, foreign line ends, words for
// numbers, too many records, too few, no file at all, a directory and a file that may not be
// read. Nothing may crash, hang or end with status 0 after dropping data.
#include <sys/stat.h>

#include "matrix.h"

namespace e2e {
namespace {

using namespace std::string_literals;

const std::string answers = "w.csv\n2\n0\n0\nsp.csv\nfit.csv\n";
const std::string too_short = "  NT<2 !!!!! The wave needs at least two samples.";
const std::string bad_step = "  DT<=0 !!!!! The time step must be positive.";

// A wave whose data cannot be read: the report names the file, the run aborts, and no result
// file appears.
TEST(wave_file, unreadable_values_end_the_run_with_the_report) {
  const struct {
    const char* what;
    std::string wave;
  } rows[] = {
      {"NUL bytes in a record", "h\r\n0.00,1.0\r\n\0\0\0\0\r\n"s},
      {"other binary bytes", "h\r\n0.00,1.0\r\n\xff\xfe\x01\x80\r\n"},
      {"NaN as a value", "h\r\n0.00,1.0\r\n0.01,NaN\r\n"},
      {"infinity as a value", "h\r\n0.00,1.0\r\n0.01,Infinity\r\n"},
      {"a lone minus sign", "h\r\n0.00,1.0\r\n0.01,-\r\n"},
      {"a semicolon between the values", "h\r\n0.00;1.0\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    scratch_dir dir;
    write_file(dir / "w.csv", row.wave);
    const run_result r = run_program(fitwave, dir.path(), answers);
    EXPECT_EQ(r.out, joined(fit::dialogue()));
    EXPECT_EQ(r.err, report("invalid number: incomprehensible list input", "unit 11 named w.csv",
                            "list io", true));
    expect_abort(r);
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"w.csv"});
    EXPECT_EQ(read_file(dir / "w.csv"), row.wave);
  }
}

// Waves without a usable time step (fewer than two pairs, or a first step that is not a
// positive finite number): one line on the console and status 1, nothing written.
TEST(wave_file, waves_without_a_time_step_stop_with_status_1) {
  const struct {
    const char* what;
    std::string wave;
    const std::string& line;
  } rows[] = {
      {"empty file", "", too_short},
      {"header only", "time(sec),Acc(gal)\r\n", too_short},
      {"header and one pair", "time(sec),Acc(gal)\r\n0.0,1.0\r\n", too_short},
      {"CR-only line ends: one record", "h\r0.00,1.0\r0.01,2.0\r0.02,3.0\r0.03,4.0\r", too_short},
      {"NUL bytes in the header only", "h\0\0\0\r\n"s, too_short},
      {"zero step", "h\r\n0.01,1.0\r\n0.01,2.0\r\n0.02,3.0\r\n", bad_step},
      {"negative step", "h\r\n0.02,1.0\r\n0.01,2.0\r\n0.00,3.0\r\n", bad_step},
      {"infinite step", "h\r\n-3e38,1.0\r\n3e38,2.0\r\n", bad_step},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    scratch_dir dir;
    write_file(dir / "w.csv", row.wave);
    const run_result r = run_program(fitwave, dir.path(), answers);
    EXPECT_EQ(r.out, joined(fit::dialogue() + lines{row.line}));
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(r.hung);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"w.csv"});
  }
}

// A name that does not exist is created empty by the open, and read as an empty wave.
TEST(wave_file, missing_file_is_created_empty_and_stops_with_status_1) {
  scratch_dir dir;
  const run_result r = run_program(fitwave, dir.path(), answers);
  EXPECT_EQ(r.out, joined(fit::dialogue() + lines{too_short}));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"w.csv"});
  EXPECT_EQ(read_file(dir / "w.csv"), "");
}

// Whatever the header holds and however long the lines, four pairs give nt = 4 and a full run.
TEST(wave_file, binary_header_and_megabyte_lines_are_read_through) {
  const std::string mb(1 << 20, ' ');
  const struct {
    const char* what;
    std::string wave;
  } rows[] = {
      {"binary header", "\0\xff\x01,\x80\r\n0.00,1.0\r\n0.01,2.0\r\n0.02,-1.0\r\n0.03,0.5\r\n"s},
      {"megabyte header",
       std::string(1 << 20, 'h') + "\r\n0,1\r\n0.01,2\r\n0.02,-1\r\n0.03,.5\r\n"},
      {"megabyte of blanks inside a pair", "h\r\n0,1\r\n0.01" + mb + "2\r\n0.02,-1\r\n0.03,.5\r\n"},
      {"megabyte of digits past the pair",
       "h\r\n0,1,9" + std::string(1 << 20, '9') + "\r\n0.01,2\r\n0.02,-1\r\n0.03,.5\r\n"},
      {"LF line ends and a last line without one", "h\n0,1\n0.01,2\n0.02,-1\n0.03,.5"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    scratch_dir dir;
    write_file(dir / "w.csv", row.wave);
    const run_result r = run_program(fitwave, dir.path(), "w.csv\n1\n0\n0\nsp.csv\nfit.csv\n");
    EXPECT_TRUE(r.out.starts_with(joined(fit::dialogue("  1.") + lines{four_samples_nt})));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(records(read_file(dir / "sp.csv")).size(), 3u);
    EXPECT_EQ(records(read_file(dir / "fit.csv")).size(), 5u);
  }
}

// More pairs than the arrays hold: nothing is stored past them, the count goes on, and the
// run stops normally at the limit of the transform length, writing nothing.
TEST(wave_file, more_than_66000_records_stop_normally_without_results) {
  scratch_dir dir;
  std::string wave = "h\r\n";
  for (int i = 0; i < 66001; ++i) wave += std::to_string(i) + ",1\r\n";
  write_file(dir / "w.csv", wave);
  const run_result r = run_program(fitwave, dir.path(), answers);
  EXPECT_EQ(r.out, joined(fit::dialogue() + lines{" NT and DT= 66001  1.", "  NT>2**15 !!!!!"}));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"w.csv"});
}

// A value beyond the single-precision range is read as infinity (the nearest value in IEEE
// rounding); the run goes on and the non-finite results show in the files.
TEST(wave_file, overflowing_value_becomes_infinity_and_the_run_goes_on) {
  scratch_dir dir;
  write_file(dir / "w.csv", "h\r\n0,1\r\n0.01,1e40\r\n0.02,-1\r\n0.03,.5\r\n");
  const run_result r = run_program(fitwave, dir.path(), "w.csv\n1\n0\n0\nsp.csv\nfit.csv\n");
  EXPECT_TRUE(r.out.starts_with(joined(fit::dialogue("  1.") + lines{four_samples_nt})));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  const lines table = records(read_file(dir / "sp.csv"));
  ASSERT_EQ(table.size(), 3u);
  // The target column stays finite; the computed one is not.
  EXPECT_TRUE(table[1].starts_with("  0.0200,  0.3800E+03,"));
  EXPECT_FALSE(is_e124(table[1].substr(22, 12)));
}

TEST(wave_file, directory_as_input_ends_with_the_system_error) {
  scratch_dir dir;
  std::filesystem::create_directory(dir / "w.csv");
  const run_result r = run_program(fitwave, dir.path(), answers);
  EXPECT_EQ(r.out, joined(fit::dialogue()));
  EXPECT_EQ(r.err, report("list in: Is a directory", "unit 11 named w.csv", "list io", true));
  expect_abort(r);
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"w.csv"});
}

TEST(wave_file, unreadable_file_ends_with_the_system_error) {
  scratch_dir dir;
  write_file(dir / "w.csv", four_samples);
  ::chmod((dir / "w.csv").c_str(), 0);
  open_to_everyone(dir.path());
  const run_result r = run_program(fitwave, dir.path(), answers, unprivileged());
  EXPECT_EQ(r.out, joined(fit::dialogue()));
  EXPECT_EQ(r.err, report("open: Permission denied", "unit 11 named w.csv", "list io", true));
  expect_abort(r);
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"w.csv"});
}

}  // namespace
}  // namespace e2e
