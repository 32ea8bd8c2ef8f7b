#include "run_command.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace wavetool_test {

testsupport::run_result run_command(const std::filesystem::path& program,
                                    const std::vector<std::string>& args,
                                    const std::filesystem::path& cwd, std::string_view input) {
  // The streams go through files in a scratch folder of their own, so that cwd holds only what
  // the program writes.
  const testsupport::scratch_dir io;
  testsupport::write_file(io / "in", input);
  const std::string in = io / "in", out = io / "out", err = io / "err";
  std::vector<std::string> argv_text{program.string()};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text) argv.push_back(a.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    const int fd_in = open(in.c_str(), O_RDONLY);
    const int fd_out = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int fd_err = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd_in < 0 || fd_out < 0 || fd_err < 0 || dup2(fd_in, 0) < 0 || dup2(fd_out, 1) < 0 ||
        dup2(fd_err, 2) < 0 || chdir(cwd.c_str()) != 0) {
      _exit(127);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  int wstatus = 0;
  while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
  }
  testsupport::run_result r;
  r.out = testsupport::read_file(out);
  r.err = testsupport::read_file(err);
  if (WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
  if (WIFSIGNALED(wstatus)) r.signal = WTERMSIG(wstatus);
  return r;
}

}  // namespace wavetool_test
