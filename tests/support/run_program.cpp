#include "run_program.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace testsupport {
namespace {

using clock = std::chrono::steady_clock;

// The state letter and the processor time used so far, from /proc; {0, -1} where unreadable.
std::pair<char, long> process_state(int pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return {'\0', -1};
  std::istringstream fields(stat.substr(close + 2));
  char state = '\0';
  std::string skip;
  long user = 0, system = 0;
  fields >> state;
  for (int i = 0; i < 10; ++i) fields >> skip;  // fields 4 to 13
  fields >> user >> system;
  return {state, fields ? user + system : -1};
}

[[noreturn]] void exec_child(const std::filesystem::path& program, const std::filesystem::path& cwd,
                             const int (&in)[2], const int (&out)[2], const int (&err)[2],
                             bool unprivileged) {
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
  if (unprivileged && ::geteuid() == 0) {
    const gid_t nobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) _exit(126);
  }
  if (chdir(cwd.c_str()) != 0) _exit(127);
  execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

}  // namespace

watch on_stdout(std::string text, int sig) {
  return {{{sig, [text](const run_result& r) { return r.out.find(text) != std::string::npos; }}}};
}

bool is_sleeping(int pid) {
  return process_state(pid).first == 'S';
}

run_result run_program(const std::filesystem::path& program, const std::filesystem::path& cwd,
                       std::string_view input, const watch& w, int deadline_s) {
  // A program that ends early must not take the test down with a broken pipe.
  std::signal(SIGPIPE, SIG_IGN);
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) exec_child(program, cwd, in, out, err, w.unprivileged);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  fcntl(in[1], F_SETFL, O_NONBLOCK);

  run_result r;
  r.pid = pid;
  const auto deadline = clock::now() + std::chrono::seconds(deadline_s);
  // A program asleep without using the processor and without a word more while a moment is
  // still to come waits for an answer: the moment will not come.
  constexpr auto patience = std::chrono::seconds(3);
  auto last_change = clock::now();
  std::pair<char, long> last_state{};
  std::size_t last_output = 0;
  const std::size_t to_send = w.signals.size();
  std::size_t sent = 0;
  bool in_open = true, out_open = true, err_open = true;
  while (out_open || err_open) {
    const std::size_t moment = static_cast<std::size_t>(r.signals_sent);
    if (in_open && sent == input.size() && moment == to_send) {
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
    const auto now = clock::now();
    if (moment < to_send) {
      if (w.signals[moment].moment(r)) {
        kill(pid, w.signals[moment].sig);
        ++r.signals_sent;
        if (w.signals[moment].after) w.signals[moment].after();
        last_change = now;
      } else {
        const auto state = process_state(pid);
        const std::size_t output = r.out.size() + r.err.size();
        if (state.first != 'S' || state != last_state || output != last_output) {
          last_change = now;
        }
        last_state = state;
        last_output = output;
      }
    }
    if (now > deadline || (moment < to_send && now - last_change > patience)) {
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

run_result run_program(const std::filesystem::path& program, const std::filesystem::path& cwd,
                       std::string_view input, int signal_after_ms, int sig) {
  const auto at = clock::now() + std::chrono::milliseconds(signal_after_ms);
  return run_program(program, cwd, input,
                     {{{sig, [at](const run_result&) { return clock::now() >= at; }}}});
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
