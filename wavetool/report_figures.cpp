#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cmath>
#include <numbers>
#include <thread>

#include "motion/design_spectrum.h"
#include "numeric/spectrum.h"
#include "wavetool/report.h"
#include "wavetool/wave_file.h"

extern char** environ;

namespace wavetool {

std::vector<double> report_periods(const spectrum_request& s, std::size_t n) {
  std::vector<double> t(n);
  const double ratio = s.window_max / s.window_min;
  for (std::size_t k = 0; k < n; ++k) {
    t[k] = s.window_min * std::pow(ratio, static_cast<double>(k) / static_cast<double>(n - 1));
  }
  return t;
}

std::vector<double> target_at(const spectrum_request& s, std::span<const double> periods) {
  std::vector<double> sa(periods.size());
  for (std::size_t k = 0; k < periods.size(); ++k)
    sa[k] = motion::spectral_acceleration(s.spectrum, periods[k]);
  return sa;
}

std::vector<double> response_at(const wave& w, const spectrum_request& s,
                                std::span<const double> periods) {
  std::vector<float> omega(periods.size()), sa(periods.size());
  for (std::size_t k = 0; k < periods.size(); ++k) {
    omega[k] = static_cast<float>(2.0 * std::numbers::pi / periods[k]);
  }
  numeric::spectrum_engine engine;
  engine.spectrum(static_cast<float>(s.spectrum.damping), w.dt, static_cast<int>(w.acc.size()),
                  w.acc, omega, sa);
  return {sa.begin(), sa.end()};
}

figure_result draw_figure(const std::filesystem::path& work, const std::string& name,
                          const std::string& script, int height) {
  figure_result r;
  const std::filesystem::path gp = work / (name + ".gp");
  const std::filesystem::path svg = work / (name + ".svg");
  // Fixed size and font, no mouse script: the page stays self-contained and prints the same.
  const std::string text = "set terminal svg size 760," + std::to_string(height) +
                           " font 'sans,11' noenhanced\nset output '" + svg.string() +
                           "'\nset encoding utf8\ncd '" + work.string() + "'\n" + script +
                           "\nunset output\n";
  if (const auto e = write_atomically(gp, text)) {
    r.error = describe(*e);
    return r;
  }
  std::string program = "gnuplot", file = gp.string();
  char* argv[] = {program.data(), file.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "gnuplot", nullptr, nullptr, argv, environ) != 0) {
    r.gnuplot_missing = true;
    return r;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  // posix_spawnp may report a missing program only through the child's exit status 127.
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
    r.gnuplot_missing = true;
    return r;
  }
  waveio::file_error e;
  const auto out = read_text(svg, e);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !out) {
    r.error = "wavetool: " + gp.string() + ": gnuplot could not draw the figure";
    return r;
  }
  r.svg = *out;
  return r;
}

std::vector<figure_result> draw_figures(const std::filesystem::path& work,
                                        std::span<const figure_job> jobs) {
  std::vector<figure_result> out(jobs.size());
  const std::size_t lanes =
      std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), jobs.size());
  std::vector<std::thread> pool;
  pool.reserve(lanes);
  for (std::size_t lane = 0; lane < lanes; ++lane) {
    pool.emplace_back([&, lane] {
      for (std::size_t k = lane; k < jobs.size(); k += lanes) {
        out[k] = draw_figure(work, jobs[k].name, jobs[k].script, jobs[k].height);
      }
    });
  }
  for (std::thread& t : pool) t.join();
  return out;
}

}  // namespace wavetool
