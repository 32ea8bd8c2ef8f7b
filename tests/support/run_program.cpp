#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace testsupport {

run_result run_program(const std::filesystem::path& program, const std::filesystem::path& cwd,
                       std::string_view input, int signal_after_ms, int sig) {
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    if (chdir(cwd.c_str()) != 0) _exit(127);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  fcntl(in[1], F_SETFL, O_NONBLOCK);

  run_result r;
  std::size_t sent = 0;
  bool in_open = true;
  const auto start = std::chrono::steady_clock::now();
  bool signalled = signal_after_ms <= 0;
  bool out_open = true, err_open = true;
  while (out_open || err_open) {
    if (in_open && sent == input.size() && signalled) {
      close(in[1]);
      in_open = false;
    }
    pollfd fds[3];
    nfds_t n = 0;
    if (out_open) fds[n++] = {out[0], POLLIN, 0};
    if (err_open) fds[n++] = {err[0], POLLIN, 0};
    if (in_open && sent < input.size()) fds[n++] = {in[1], POLLOUT, 0};
    poll(fds, n, 10);
    for (nfds_t i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in[1]) {
        const ssize_t w = write(in[1], input.data() + sent, input.size() - sent);
        if (w > 0) sent += static_cast<std::size_t>(w);
        if (w < 0 && errno == EPIPE) sent = input.size();
        continue;
      }
      char buf[65536];
      const ssize_t got = read(fds[i].fd, buf, sizeof buf);
      std::string& dest = fds[i].fd == out[0] ? r.out : r.err;
      if (got > 0) {
        dest.append(buf, static_cast<std::size_t>(got));
      } else {
        (fds[i].fd == out[0] ? out_open : err_open) = false;
      }
    }
    if (!signalled) {
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
      if (ms >= signal_after_ms) {
        kill(pid, sig);
        signalled = true;
      }
    }
  }
  if (in_open) close(in[1]);
  close(out[0]);
  close(err[0]);
  int st = 0;
  waitpid(pid, &st, 0);
  if (WIFEXITED(st)) r.status = WEXITSTATUS(st);
  if (WIFSIGNALED(st)) r.signal = WTERMSIG(st);
  return r;
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
