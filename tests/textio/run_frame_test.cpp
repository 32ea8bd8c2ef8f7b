// How a run ends: the fatal-error report, the shutdown, the signals and the exit status, seen
// from outside through a small program on the text layer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>

#include "held_pipe.h"
#include "run_program.h"
#include "transcripts.h"

namespace {

using testsupport::crlf;
using testsupport::on_stdout;
using testsupport::read_file;
using testsupport::report;
using testsupport::run_result;
using testsupport::scratch_dir;
using testsupport::write_file;

const std::string prompt = crlf({" Enter Number of Iterations (Nit: up to 10)"});

run_result run(const scratch_dir& dir, std::string_view scenario, std::string_view input,
               const testsupport::watch& w = {}) {
  write_file(dir / "scenario", std::string(scenario) + "\n");
  return testsupport::run_program(GM_TEXTIO_PROBE, dir.path(), input, w);
}

TEST(run_end, a_normal_run_is_silent_with_status_zero) {
  scratch_dir dir;
  const run_result r = run(dir, "answers", "5 6\n\n 1.5,2.5e1\n'a b'\n");
  EXPECT_EQ(r.out, prompt + crlf({" nit= 5", "   tb,tc=  1.5  25.", " a b                 "}));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.signal, 0);
}

TEST(fatal_report, read_errors_on_the_console) {
  const struct {
    const char* scenario;
    const char* input;
    std::string err;
  } rows[] = {
      {"bad_number", "abc\n",
       report("invalid number: incomprehensible list input", "unit 5 (unnamed)", "list io", true)},
      {"bad_number", "5-\n",
       report("exponent field: incomprehensible list input", "unit 5 (unnamed)", "list io", true)},
      {"bad_number", "0*5\n",
       report("bad repetition count: incomprehensible list input", "unit 5 (unnamed)", "list io",
              true)},
      {"bad_number", "1.0\n",
       report("invalid integer: read unexpected character", "unit 5 (unnamed)", "list io", true)},
      {"overflow", "3000000000\n",
       report("invalid integer: integer overflow", "unit 5 (unnamed)", "list io", true)},
      {"eof_list", "\n\n", report("list in: end of file", "unit 5 (unnamed)", "list io", true)},
      {"read_start_eof", "",
       report("read start: end of file", "unit 5 (unnamed)", "list io", true)},
      {"eof_field", "", report("fmt: end of file", "unit 5 (unnamed)", "(A20)", true)},
      // A stream failure at a fixed-width read is no end of file.
      {"directory_console", "",
       report("list in: " + std::string(::strerror(EISDIR)), "unit 5 (unnamed)", "(A20)", true)},
      {"closed_console", "",
       report("list in: " + std::string(::strerror(EBADF)), "unit 5 (unnamed)", "(A20)", true)},
      {"blank_name", "    \n", report("open: null file name", "unit 12 named ", "", true)},
  };
  for (const auto& row : rows) {
    scratch_dir dir;
    const run_result r = run(dir, row.scenario, row.input);
    EXPECT_EQ(r.err, row.err) << row.scenario << " " << row.input;
    EXPECT_EQ(r.signal, SIGABRT) << row.scenario;
  }
}

TEST(fatal_report, a_bad_data_record_names_the_file) {
  scratch_dir dir;
  write_file(dir / "data.csv", crlf({"time,acc", "0,1", "0.01,abc"}));
  const run_result r = run(dir, "bad_data", "");
  EXPECT_EQ(r.err, report("invalid number: incomprehensible list input", "unit 11 named data.csv",
                          "list io", true));
  EXPECT_EQ(r.signal, SIGABRT);
}

TEST(fatal_report, a_table_keeps_the_records_written_before_the_failure) {
  scratch_dir dir;
  const std::string old(2000, 'x');
  write_file(dir / "table.csv", old);
  const run_result r = run(dir, "table_then_fail", "abc\n");
  EXPECT_EQ(r.out, prompt);
  EXPECT_EQ(r.err, report("invalid number: incomprehensible list input", "unit 5 (unnamed)",
                          "list io", true));
  EXPECT_EQ(r.signal, SIGABRT);
  EXPECT_EQ(read_file(dir / "table.csv"),
            crlf({"period(sec),kokuji1461,Iteration No.  1,Iteration No.", "  0.0100,  0.8000E+03,",
                  "  0.0200,  0.8000E+03,"}));
}

TEST(fatal_report, failed_writes_are_never_success) {
  scratch_dir dir;
  std::filesystem::create_directory(dir / "sub");
  const std::string full = "write: " + std::string(::strerror(ENOSPC));
  const struct {
    const char* scenario;
    std::string err;
  } rows[] = {
      {"full_file", report(full, "unit 12 named /dev/full", "list io", false)},
      {"full_stdout", report(full, "unit 6 (unnamed)", "list io", false)},
      {"directory_write", report("write start: can't write file", "unit 11 named sub",
                                 "('period(sec),kokuji1461',20(',Iteration No.',I3))", false)},
      {"directory_read",
       report("list in: " + std::string(::strerror(EISDIR)), "unit 11 named sub", "list io", true)},
  };
  for (const auto& row : rows) {
    const run_result r = run(dir, row.scenario, "");
    EXPECT_EQ(r.err, row.err) << row.scenario;
    EXPECT_EQ(r.signal, SIGABRT) << row.scenario;
  }
}

TEST(fatal_report, first_write_to_a_read_only_file) {
  if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  scratch_dir dir;
  write_file(dir / "ro.csv", "kept\r\n");
  ::chmod((dir / "ro.csv").c_str(), 0444);
  run_result r = run(dir, "read_only", "");
  EXPECT_EQ(r.err, report("list output start: can't write file", "unit 11 named ro.csv", "list io",
                          false));
  EXPECT_EQ(r.signal, SIGABRT);
  r = run(dir, "read_only_pattern", "");
  EXPECT_EQ(r.err, report("write start: can't write file", "unit 11 named ro.csv",
                          "('period(sec),kokuji1461',20(',Iteration No.',I3))", false));
  EXPECT_EQ(read_file(dir / "ro.csv"), "kept\r\n");
}

TEST(fatal_report, a_failure_during_the_shutdown_aborts_at_once) {
  scratch_dir dir;
  const run_result r = run(dir, "second_report", "abc\n");
  const std::string full = "write: " + std::string(::strerror(ENOSPC));
  EXPECT_EQ(r.err, report("invalid number: incomprehensible list input", "unit 5 (unnamed)",
                          "list io", true) +
                       crlf({full, "fatal error during shutdown: aborting", "IOT Trap"}));
  EXPECT_EQ(r.signal, SIGABRT);
}

TEST(run_end, the_shutdown_at_exit_cuts_a_table_left_open) {
  scratch_dir dir;
  write_file(dir / "table.csv", std::string(3000, 'x'));
  const run_result r = run(dir, "table_then_return", "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file(dir / "table.csv"),
            crlf({"period(sec),kokuji1461,Iteration No.  1,Iteration No.", "  0.0100,  0.8000E+03,",
                  "  0.0200,  0.8000E+03,"}));
}

TEST(signals, faults_abort_after_the_shutdown) {
  scratch_dir dir;
  write_file(dir / "table.csv", std::string(3000, 'x'));
  run_result r = run(dir, "table_then_fpe", "");
  EXPECT_EQ(r.err, crlf({"Floating Exception"}));
  EXPECT_EQ(r.signal, SIGABRT);
  EXPECT_EQ(
      read_file(dir / "table.csv"),
      crlf({"period(sec),kokuji1461,Iteration No.  1,Iteration No.", "  0.0100,  0.8000E+03,"}));
  r = run(dir, "abort", "");
  EXPECT_EQ(r.err, crlf({"IOT Trap"}));  // once: the abort after it runs no handler
  EXPECT_EQ(r.signal, SIGABRT);
}

TEST(signals, interrupt_and_termination_exit_with_status_one) {
  scratch_dir dir;
  run_result r = run(dir, "interrupt", "", on_stdout(prompt, SIGINT));
  EXPECT_EQ(r.out, prompt);
  EXPECT_EQ(r.err, crlf({"Interrupt"}));
  EXPECT_EQ(r.status, 1);
  r = run(dir, "interrupt", "", on_stdout(prompt, SIGTERM));
  EXPECT_EQ(r.err, crlf({"Killed"}));
  EXPECT_EQ(r.status, 1);
  // A table written over a longer file and still open: the shutdown hands over its records and
  // cuts the old contents after them.
  write_file(dir / "table.csv", std::string(3000, 'x'));
  r = run(dir, "table_then_fail", "", on_stdout(prompt, SIGTERM));
  EXPECT_EQ(r.err, crlf({"Killed"}));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(read_file(dir / "table.csv"),
            crlf({"period(sec),kokuji1461,Iteration No.  1,Iteration No.", "  0.0100,  0.8000E+03,",
                  "  0.0200,  0.8000E+03,"}));
  // An interrupt ignored when the run began stays ignored.
  r = run(dir, "ignored_interrupt", "", on_stdout(crlf({" waiting"}), SIGINT));
  EXPECT_EQ(r.signals_sent, 1);
  EXPECT_EQ(r.out, crlf({" waiting", " done"}));
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

// An interrupt while the run waits for an answer and table records are held for a pipe that is
// full: the shutdown waits to hand them over, and a termination request meets it there. It must
// not start a second end: one message, status 1, and every record delivered once the pipe is read.
TEST(signals, a_second_signal_during_the_shutdown_is_held_off) {
  scratch_dir dir;
  testsupport::held_pipe table(dir / "table.csv", true);
  const testsupport::watch w{{
      {SIGINT,
       [](const run_result& r) { return r.out == prompt && testsupport::is_sleeping(r.pid); }},
      {SIGTERM,
       [&](const run_result& r) {
         return r.err == crlf({"Interrupt"}) && testsupport::is_sleeping(r.pid) && table.full();
       },
       [&] { table.release(); }},
  }};
  const run_result r = run(dir, "table_then_fail", "", w);
  EXPECT_EQ(r.signals_sent, 2);
  EXPECT_FALSE(r.hung);
  EXPECT_EQ(r.err, crlf({"Interrupt"}));
  EXPECT_EQ(r.status, 1);
  const std::string got = table.finish();  // the brim first, then the table
  EXPECT_EQ(got.find_first_not_of('x'), table.brim());
  EXPECT_EQ(got.substr(std::min(table.brim(), got.size())),
            crlf({"period(sec),kokuji1461,Iteration No.  1,Iteration No.", "  0.0100,  0.8000E+03,",
                  "  0.0200,  0.8000E+03,"}));
}

}  // namespace
