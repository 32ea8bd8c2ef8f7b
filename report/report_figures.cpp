#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <thread>

#include "motion/design_spectrum.h"
#include "motion/response_spectrum.h"
#include "operations/wave_file.h"
#include "report/report.h"

extern char** environ;

namespace wavetool {

std::vector<double> target_at(const spectrum_request& s, std::span<const double> periods) {
  std::vector<double> sa(periods.size());
  for (std::size_t k = 0; k < periods.size(); ++k)
    sa[k] = motion::spectral_acceleration(s.spectrum, periods[k]);
  return sa;
}

std::vector<double> response_at(const wave& w, const spectrum_request& s,
                                std::span<const double> periods) {
  const std::vector<float> sa =
      motion::spectrum_at_periods(w.acc, w.dt, static_cast<float>(s.spectrum.damping), periods);
  return {sa.begin(), sa.end()};
}

namespace {

// The drawing programs running now, one slot per lane, so that an interrupt can stop them.
constexpr std::size_t max_lanes = 64;
std::array<std::atomic<pid_t>, max_lanes> drawing_children{};
volatile std::sig_atomic_t stop_signal = 0;

extern "C" void stop_drawing(int sig) {
  stop_signal = sig;
  for (std::atomic<pid_t>& child : drawing_children) {
    if (const pid_t pid = child.load(); pid > 0) ::kill(pid, SIGTERM);
  }
}

// The figures drawn by one gnuplot, in order: a start of gnuplot costs more than a figure. It
// runs in work, its own working folder, and is given only names made here, so that no folder or
// plan text ever reaches its command line or its script.
std::vector<figure_result> draw_in_one(const std::filesystem::path& work, std::size_t lane,
                                       std::span<const figure_job> jobs) {
  std::vector<figure_result> out(jobs.size());
  const std::string script_name = "lane" + std::to_string(lane) + ".gp";
  std::string text;
  for (const figure_job& j : jobs) {
    // Each from gnuplot's defaults; fixed size and font, no mouse script: the page stays
    // self-contained and prints the same.
    text += "reset session\nset terminal svg size 760," + std::to_string(j.height) +
            " font 'sans,11' noenhanced\nset output '" + j.name + ".svg'\nset encoding utf8\n" +
            j.script + "\nunset output\n";
  }
  const auto fail_all = [&](const std::string& why) {
    for (figure_result& r : out) r.error = why;
    return out;
  };
  if (const auto e = files::write_atomically(work / script_name, text))
    return fail_all(describe(*e));
  if (stop_signal != 0) return fail_all("interrupted");
  std::string program = "gnuplot", file = script_name;
  char* argv[] = {program.data(), file.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, work.c_str());
  pid_t pid = 0;
  int status = 0;
  bool missing = posix_spawnp(&pid, "gnuplot", &actions, nullptr, argv, environ) != 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!missing) {
    std::atomic<pid_t>& slot = drawing_children[lane % max_lanes];
    slot = pid;
    // A signal that came before the child was known stops it here.
    if (stop_signal != 0) ::kill(pid, SIGTERM);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    slot = 0;
    // posix_spawnp may report a missing program only through the child's exit status 127.
    missing = WIFEXITED(status) && WEXITSTATUS(status) == 127;
  }
  if (missing) {
    for (figure_result& r : out) r.gnuplot_missing = true;
    return out;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return fail_all("gnuplot could not draw the figures");
  }
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    files::file_error e;
    const auto svg = files::read_text(work / (jobs[k].name + ".svg"), e);
    if (!svg) {
      out[k].error = "gnuplot did not draw figure " + jobs[k].name;
    } else {
      out[k].svg = *svg;
    }
  }
  return out;
}

}  // namespace

drawing_interrupts::drawing_interrupts() {
  stop_signal = 0;
  struct sigaction sa {};
  sa.sa_handler = stop_drawing;
  sa.sa_flags = SA_RESTART;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, &saved_interrupt_);
  sigaction(SIGTERM, &sa, &saved_termination_);
}

drawing_interrupts::~drawing_interrupts() {
  sigaction(SIGINT, &saved_interrupt_, nullptr);
  sigaction(SIGTERM, &saved_termination_, nullptr);
}

void drawing_interrupts::end_if_interrupted() const {
  const int sig = stop_signal;
  if (sig == 0) return;
  // Ended by the signal as the user asked, now that nothing of the drawing is left.
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

std::vector<figure_result> draw_figures(const std::filesystem::path& work,
                                        std::span<const figure_job> jobs) {
  std::vector<figure_result> out(jobs.size());
  const std::size_t lanes = std::min<std::size_t>(
      {std::max(1u, std::thread::hardware_concurrency()), jobs.size(), max_lanes});
  // One gnuplot per core, each drawing a run of figures in page order.
  std::vector<std::thread> pool;
  pool.reserve(lanes);
  for (std::size_t lane = 0; lane < lanes; ++lane) {
    pool.emplace_back([&, lane] {
      const std::size_t from = lane * jobs.size() / lanes, to = (lane + 1) * jobs.size() / lanes;
      const std::vector<figure_result> drawn =
          draw_in_one(work, lane, jobs.subspan(from, to - from));
      std::copy(drawn.begin(), drawn.end(), out.begin() + static_cast<std::ptrdiff_t>(from));
    });
  }
  for (std::thread& t : pool) t.join();
  return out;
}

}  // namespace wavetool
