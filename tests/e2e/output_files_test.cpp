// Result files that cannot be written: a directory, a path through a missing folder, a full
// device, a read-only file, and the same name given twice. A failure ends the run with the
// report and the abort; a file completed before it stays complete, and one that could not be
// written keeps its old contents.
#include <sys/stat.h>

#include "matrix.h"

namespace e2e {
namespace {

const std::string header_pattern = "('period(sec),kokuji1461',20(',Iteration No.',I3))";

struct name_row {
  const char* what;
  std::string name;   // as typed
  std::string first;  // first line of the report
  std::string state;
  std::string pattern;
  bool reading;
};

// The table of a one-iteration fit of the four-sample wave, as far as it is known by hand.
void expect_complete_table(const std::string& text) {
  const lines table = records(text);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0], "period(sec),kokuji1461,Iteration No.  1,Iteration No.");
  EXPECT_TRUE(table[1].starts_with("  0.0200,  0.3800E+03,") && is_row(table[1], 8, 4, 2, true));
  EXPECT_TRUE(table[2].starts_with("  0.0400,  0.4400E+03,") && is_row(table[2], 8, 4, 2, true));
}

// A scratch directory with the four-sample wave, a directory "d" and a read-only file "ro.csv".
struct workspace {
  scratch_dir dir;
  const std::string old = "old contents\r\n";
  workspace() {
    write_file(dir / "w.csv", four_samples);
    std::filesystem::create_directory(dir / "d");
    write_file(dir / "ro.csv", old);
    ::chmod((dir / "ro.csv").c_str(), 0444);
    open_to_everyone(dir.path());
  }
};

TEST(output_files, spectra_table_that_cannot_be_written) {
  const name_row rows[] = {
      {"directory", "d", "write start: can't write file", "unit 11 named d", header_pattern, false},
      {"missing folder", "'nodir/sp.csv'", "open: No such file or directory",
       "unit 11 named nodir/sp.csv", "list io", true},
      {"full device", "'/dev/full'", "write: No space left on device", "unit 11 named /dev/full",
       "", false},
      {"read-only file", "ro.csv", "write start: can't write file", "unit 11 named ro.csv",
       header_pattern, false},
  };
  for (const name_row& row : rows) {
    SCOPED_TRACE(row.what);
    workspace ws;
    const run_result r = run_program(fitwave, ws.dir.path(),
                                     "w.csv\n1\n0\n0\n" + row.name + "\nfit.csv\n", unprivileged());
    EXPECT_TRUE(r.out.starts_with(joined(fit::dialogue("  1.") + lines{four_samples_nt})));
    EXPECT_TRUE(r.out.ends_with(joined(fit::table_name)));
    EXPECT_EQ(r.err, report(row.first, row.state, row.pattern, row.reading));
    expect_abort(r);
    EXPECT_EQ(names_in(ws.dir.path()), (std::vector<std::string>{"d", "ro.csv", "w.csv"}));
    EXPECT_EQ(read_file(ws.dir / "ro.csv"), ws.old);
    EXPECT_TRUE(std::filesystem::is_empty(ws.dir / "d"));
  }
}

TEST(output_files, fitted_wave_that_cannot_be_written_leaves_the_table_complete) {
  const name_row rows[] = {
      {"directory", "d", "list output start: can't write file", "unit 12 named d", "list io",
       false},
      {"missing folder", "nodir/fit.csv", "open: No such file or directory",
       "unit 12 named nodir/fit.csv", "", true},
      {"full device", "/dev/full", "write: No space left on device", "unit 12 named /dev/full", "",
       false},
      {"read-only file", "ro.csv", "list output start: can't write file", "unit 12 named ro.csv",
       "list io", false},
  };
  for (const name_row& row : rows) {
    SCOPED_TRACE(row.what);
    workspace ws;
    const run_result r = run_program(fitwave, ws.dir.path(),
                                     "w.csv\n1\n0\n0\nsp.csv\n" + row.name + "\n", unprivileged());
    EXPECT_TRUE(r.out.ends_with(joined(fit::table_name + fit::wave_name)));
    EXPECT_EQ(r.err, report(row.first, row.state, row.pattern, row.reading));
    expect_abort(r);
    expect_complete_table(read_file(ws.dir / "sp.csv"));
    EXPECT_EQ(read_file(ws.dir / "ro.csv"), ws.old);
    EXPECT_TRUE(std::filesystem::is_empty(ws.dir / "d"));
  }
}

// The wave file is written over the table from its start and cut at its end: a longer old
// file under the same name leaves nothing behind either.
TEST(output_files, same_name_twice_leaves_only_the_fitted_wave) {
  scratch_dir dir;
  write_file(dir / "w.csv", four_samples);
  std::string old;
  for (int i = 0; i < 2000; ++i) old += "old record of a longer file\r\n";
  write_file(dir / "out.csv", old);
  const run_result r = run_program(fitwave, dir.path(), "w.csv\n1\n0\n0\nout.csv\nout.csv\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  const lines wave = records(read_file(dir / "out.csv"));
  ASSERT_EQ(wave.size(), 5u);
  EXPECT_EQ(wave[0], " time(sec),Acc(gal),eamp,eamp*ampfac");
  const char* times[] = {"  0.0000,", "  0.0100,", "  0.0200,", "  0.0300,"};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_TRUE(wave[i + 1].starts_with(times[i]) && is_row(wave[i + 1], 8, 4, 3, true))
        << wave[i + 1];
  }
}

TEST(output_files, seed_file_that_cannot_be_written) {
  const name_row rows[] = {
      {"directory", "d", "list output start: can't write file", "unit 9 named d", "list io", false},
      {"missing folder", "'nodir/seed.csv'", "open: No such file or directory",
       "unit 9 named nodir/seed.csv", "list io", true},
      // 8192 rows pass the file in blocks: the full device refuses one while a row is written.
      {"full device", "'/dev/full'", "write: No space left on device", "unit 9 named /dev/full",
       "(F8.2,',',E12.4)", false},
      {"read-only file", "ro.csv", "list output start: can't write file", "unit 9 named ro.csv",
       "list io", false},
  };
  for (const name_row& row : rows) {
    SCOPED_TRACE(row.what);
    workspace ws;
    const run_result r =
        run_program(seedwave, ws.dir.path(), "7\n0\n" + row.name + "\n", unprivileged());
    EXPECT_EQ(r.out, joined(seed::dialogue()));
    EXPECT_EQ(r.err, report(row.first, row.state, row.pattern, row.reading));
    expect_abort(r);
    EXPECT_EQ(names_in(ws.dir.path()), (std::vector<std::string>{"d", "ro.csv", "w.csv"}));
    EXPECT_EQ(read_file(ws.dir / "ro.csv"), ws.old);
    EXPECT_TRUE(std::filesystem::is_empty(ws.dir / "d"));
  }
}

}  // namespace
}  // namespace e2e
