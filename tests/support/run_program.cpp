#include "run_program.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "watch.h"

namespace testsupport {

run_result run_program(const std::filesystem::path& program, const std::filesystem::path& cwd,
                       std::string_view input, int signal_after_ms, int sig) {
  watch w;
  if (signal_after_ms > 0) {
    const auto start = std::chrono::steady_clock::now();
    w.sig = sig;
    w.ready = [start, signal_after_ms] {
      return std::chrono::steady_clock::now() - start >= std::chrono::milliseconds(signal_after_ms);
    };
  }
  return run_watched(program, cwd, input, w);
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void write_file(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

scratch_dir::scratch_dir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "gmtest-XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr) throw std::runtime_error("mkdtemp");
  path_ = tmpl;
}

scratch_dir::~scratch_dir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string crlf(std::initializer_list<std::string_view> lines) {
  std::string s;
  for (std::string_view l : lines) {
    s += l;
    s += "\r\n";
  }
  return s;
}

}  // namespace testsupport
