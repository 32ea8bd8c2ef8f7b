// The interrupt key and a termination request, at a prompt, in the middle of the fitting loop
// and while a result file is being written. Each prints its word on standard error and ends
// with status 1; a file completed before stays complete, a file being written keeps whole
// records only, each once.
#include "held_pipe.h"
#include "matrix.h"

namespace e2e {
namespace {

const std::string interrupt = "Interrupt\r\n";
const std::string killed = "Killed\r\n";

void expect_status_1(const run_result& r, int sig) {
  EXPECT_EQ(r.signals_sent, 1);
  EXPECT_FALSE(r.hung);
  EXPECT_EQ(r.err, sig == SIGINT ? interrupt : killed);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.signal, 0);
}

TEST(signals, at_a_prompt) {
  const struct {
    const char* what;
    const std::filesystem::path* program;
    std::string answers;
    lines shown;
    int sig;
  } rows[] = {
      {"fitwave, input name", &fitwave, "", fit::name, SIGINT},
      {"fitwave, iterations", &fitwave, "w.csv\n", fit::name + fit::nit, SIGTERM},
      {"fitwave, exponent", &fitwave, "w.csv\n2\n0\n1\n", fit::dialogue() + fit::new_ampfac,
       SIGINT},
      {"seedwave, seed", &seedwave, "", seed::number, SIGTERM},
      {"seedwave, corner times", &seedwave, "7\n1\n",
       seed::number + seed::grid + seed::corners + seed::new_corners, SIGINT},
      {"seedwave, output name", &seedwave, "7\n0\n", seed::dialogue(), SIGTERM},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    scratch_dir dir;
    const std::string shown = joined(row.shown);
    const run_result r =
        run_program(*row.program, dir.path(), row.answers, on_stdout(shown, row.sig));
    EXPECT_EQ(r.out, shown);
    expect_status_1(r, row.sig);
    EXPECT_TRUE(names_in(dir.path()).empty());
  }
}

// Ten iterations over 32768 samples: the signal comes once the first is reported. No result
// file has been opened yet, so none appears, although the answers name both.
TEST(signals, in_the_middle_of_the_fitting_loop) {
  scratch_dir dir;
  write_file(dir / "w.csv", long_wave(32768));
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    const run_result r = run_program(fitwave, dir.path(), "w.csv\n10\n0\n0\nsp.csv\nfit.csv\n",
                                     on_stdout("  Iteration Number = 1\r\n", sig));
    EXPECT_TRUE(r.out.starts_with(joined(fit::dialogue("  0.100000001"))));
    EXPECT_LT(count_of(r.out, "Iteration Number"), 10);
    expect_status_1(r, sig);
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"w.csv"});
  }
}

// At the second name the table is complete and closed; the file under the second name has
// not been opened and keeps its old contents.
TEST(signals, at_the_second_file_name_the_table_is_complete) {
  scratch_dir dir;
  write_file(dir / "w.csv", four_samples);
  write_file(dir / "fit.csv", "old\r\n");
  const run_result r = run_program(fitwave, dir.path(), "w.csv\n1\n0\n0\nsp.csv\n",
                                   on_stdout(joined(fit::table_name + fit::wave_name), SIGINT));
  expect_status_1(r, SIGINT);
  const lines table = records(read_file(dir / "sp.csv"));
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0], "period(sec),kokuji1461,Iteration No.  1,Iteration No.");
  EXPECT_TRUE(table[2].starts_with("  0.0400,  0.4400E+03,") && is_row(table[2], 8, 4, 2, true));
  EXPECT_EQ(read_file(dir / "fit.csv"), "old\r\n");
}

// A file signalled in the middle of its records holds its header and whole rows in order, each
// once.
void expect_whole_rows(const std::string& text, const std::string& header, std::size_t width,
                       std::size_t most, bool (*row)(std::string_view)) {
  const lines recs = records(text);
  ASSERT_GE(recs.size(), 2u);
  EXPECT_EQ(recs[0], header);
  EXPECT_LE(recs.size() - 1, most);
  EXPECT_EQ(text.size(), header.size() + 2 + (recs.size() - 1) * (width + 2));
  // Rising times: no block of records written twice, none left out.
  double last = -1;
  for (std::size_t i = 1; i < recs.size(); ++i) {
    ASSERT_TRUE(row(recs[i])) << "record " << i + 1 << ": " << recs[i];
    const double t = std::stod(recs[i].substr(0, 8));
    ASSERT_GT(t, last) << "record " << i + 1 << ": " << recs[i];
    last = t;
  }
}

// A signal that came while a block of records was on its way to the system once wrote the block
// a second time, when the shutdown flushed what the interrupted write still held. Each result
// file is a pipe that is read only after the signal: the signal always meets the write held up,
// never a run that has already finished. (How a regular file is cut at the shutdown is the text
// layer's own test.)
TEST(signals, while_the_fitted_wave_is_written) {
  for (int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    scratch_dir dir;
    write_file(dir / "w.csv", long_wave(32768));
    testsupport::held_pipe wave(dir / "fit.csv");
    watch w{{{sig, [&](const run_result&) { return wave.full(); }, [&] { wave.release(); }}}};
    const run_result r = run_program(fitwave, dir.path(), "w.csv\n1\n0\n0\nsp.csv\nfit.csv\n", w);
    expect_status_1(r, sig);
    expect_whole_rows(wave.finish(), " time(sec),Acc(gal),eamp,eamp*ampfac", 48, 32767,
                      [](std::string_view rec) { return is_row(rec, 8, 4, 3, true); });
  }
}

TEST(signals, while_the_seed_file_is_written) {
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    scratch_dir dir;
    testsupport::held_pipe seed(dir / "seed.csv");
    watch w{{{sig, [&](const run_result&) { return seed.full(); }, [&] { seed.release(); }}}};
    const run_result r = run_program(seedwave, dir.path(), "7\n0\nseed.csv\n", w);
    expect_status_1(r, sig);
    expect_whole_rows(seed.finish(), " time(sec),seed-Acc(gal)", 21, 8192,
                      [](std::string_view rec) { return is_row(rec, 8, 2, 1, false); });
  }
}

}  // namespace
}  // namespace e2e
