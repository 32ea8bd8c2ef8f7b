// Runs a real program the way a user does: answers piped to standard input, both console
// streams captured byte for byte.
#pragma once

#include <csignal>
#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

struct run_result {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = -1;  // exit status when the program exited normally, else -1
  int signal = 0;   // terminating signal when it did not
};

// Runs program in directory cwd with input on standard input and no arguments. When
// signal_after_ms > 0, sends signal sig to the program that many milliseconds after it starts
// (the input pipe stays open until then, so the program waits at its prompt). A program still
// running after two minutes is killed (see run_watched).
run_result run_program(const std::filesystem::path& program, const std::filesystem::path& cwd,
                       std::string_view input, int signal_after_ms = 0, int sig = SIGINT);

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
