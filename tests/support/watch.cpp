#include "watch.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>

namespace testsupport {
namespace {

bool file_begins_with(const std::filesystem::path& path, std::string_view prefix) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  std::string head(prefix.size(), '\0');
  const ssize_t n = ::read(fd, head.data(), head.size());
  ::close(fd);
  return n == static_cast<ssize_t>(prefix.size()) && head == prefix;
}

}  // namespace

watched_result run_watched(const std::filesystem::path& program, const std::filesystem::path& cwd,
                           std::string_view input, const watch& w, int deadline_s) {
  // A program that ends early must not take the test down with a broken pipe.
  std::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    // The program starts as from a terminal: no signal ignored or blocked by whoever runs the
    // tests (a background job ignores the interrupt, and an ignored interrupt stays ignored).
    for (int sig : {SIGINT, SIGTERM, SIGPIPE}) std::signal(sig, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    if (w.unprivileged && ::geteuid() == 0) {
      const gid_t nobody = 65534;
      if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) _exit(126);
    }
    if (chdir(cwd.c_str()) != 0) _exit(127);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  fcntl(in[1], F_SETFL, O_NONBLOCK);

  watched_result r;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(deadline_s);
  std::size_t sent = 0;
  bool in_open = true, out_open = true, err_open = true;
  while (out_open || err_open) {
    if (in_open && sent == input.size() && (w.sig == 0 || r.signalled)) {
      close(in[1]);
      in_open = false;
    }
    pollfd fds[3];
    nfds_t n = 0;
    if (out_open) fds[n++] = {out[0], POLLIN, 0};
    if (err_open) fds[n++] = {err[0], POLLIN, 0};
    if (in_open && sent < input.size()) fds[n++] = {in[1], POLLOUT, 0};
    poll(fds, n, 1);
    for (nfds_t i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in[1]) {
        const ssize_t k = write(in[1], input.data() + sent, input.size() - sent);
        if (k > 0) sent += static_cast<std::size_t>(k);
        if (k < 0 && errno == EPIPE) sent = input.size();
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
    if (w.sig != 0 && !r.signalled) {
      const bool now = w.ready                  ? w.ready()
                       : !w.stdout_text.empty() ? r.out.find(w.stdout_text) != std::string::npos
                                                : file_begins_with(w.file, w.file_prefix);
      if (now) {
        kill(pid, w.sig);
        r.signalled = true;
        if (w.after) w.after();
      }
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      r.hung = true;
      break;
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

}  // namespace testsupport
