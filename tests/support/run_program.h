// Runs a real program the way a user does: answers piped to standard input, both console
// streams captured byte for byte, and signals sent at moments the test chooses by what the
// program has done. A run that outlives its deadline, or that sits idle waiting for answers while
// a moment is still to come, is killed and reported as hung, so no test waits long for a prompt
// that never comes.
#pragma once

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

struct run_result {
  std::string out;       // standard output
  std::string err;       // standard error
  int status = -1;       // exit status when the program exited normally, else -1
  int signal = 0;        // terminating signal when it did not
  bool hung = false;     // killed: past the deadline, or idle before every signal was sent
  int signals_sent = 0;  // moments that came, each with its signal sent
  int pid = 0;
};

// A signal to send once moment says so; the moments are watched one after the other.
struct signal_at {
  int sig;
  std::function<bool(const run_result&)> moment;
  std::function<void()> after = {};  // called just after the signal is sent
};

struct watch {
  // While a signal is still to be sent the answers stay open, so the program waits at its next
  // prompt rather than meeting the end of its input.
  std::vector<signal_at> signals;
  // Run as an ordinary user when the tests run as the superuser, whom file permissions do not
  // bind; the working directory must then be open to everyone.
  bool unprivileged = false;
};

// One signal, once standard output contains text.
watch on_stdout(std::string text, int sig);

run_result run_program(const std::filesystem::path& program, const std::filesystem::path& cwd,
                       std::string_view input, const watch& w = {}, int deadline_s = 120);

// One signal a fixed time after the start. The time says nothing of what the program is doing
// then: a moment chosen by what it has done is the better watch.
run_result run_program(const std::filesystem::path& program, const std::filesystem::path& cwd,
                       std::string_view input, int signal_after_ms, int sig);

// Whether the process sleeps (waits for input, or for room in a pipe) rather than runs.
bool is_sleeping(int pid);

// Whole file as bytes; an empty string when it cannot be read.
std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, std::string_view bytes);

// A fresh empty directory under the system's temporary directory, removed by the destructor.
class scratch_dir {
 public:
  scratch_dir();
  ~scratch_dir();
  scratch_dir(const scratch_dir&) = delete;
  scratch_dir& operator=(const scratch_dir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Lines joined with CR LF, each one ended by it: crlf({"a", "b"}) == "a\r\nb\r\n".
std::string crlf(std::initializer_list<std::string_view> lines);

}  // namespace testsupport
