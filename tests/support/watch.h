// Runs a real program with piped answers under a deadline, and optionally sends it a signal at
// a moment the test chooses by what the program has done: a text on its standard output, or the
// first bytes of a file it writes. A run that outlives the deadline is killed and reported as
// hung, so no bad input can stall the suite.
#pragma once

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "run_program.h"

namespace testsupport {

struct watch {
  std::string stdout_text;     // signal once standard output contains this text
  std::filesystem::path file;  // or once this file begins with file_prefix
  std::string file_prefix;
  std::function<bool()> ready;  // or once this says so
  std::function<void()> after;  // called just after the signal is sent
  int sig = 0;                  // 0: no signal; the answers are sent and the input closed
  // Run as an ordinary user when the tests run as the superuser, whom file permissions do not
  // bind; the working directory must then be open to everyone.
  bool unprivileged = false;
};

inline watch on_stdout(std::string text, int sig) {
  watch w;
  w.stdout_text = std::move(text);
  w.sig = sig;
  return w;
}

inline watch on_file(std::filesystem::path file, std::string prefix, int sig) {
  watch w;
  w.file = std::move(file);
  w.file_prefix = std::move(prefix);
  w.sig = sig;
  return w;
}

struct watched_result : run_result {
  bool hung = false;       // killed at the deadline
  bool signalled = false;  // the watched moment came and the signal was sent
};

// Answers go to standard input; with a signal to send, the input stays open until it is sent,
// so the program waits at its next prompt rather than meeting the end of its input.
watched_result run_watched(const std::filesystem::path& program, const std::filesystem::path& cwd,
                           std::string_view input, const watch& w = {}, int deadline_s = 120);

}  // namespace testsupport
