#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
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

namespace {

// The figures drawn by one gnuplot, in order: a start of gnuplot costs more than a figure.
std::vector<figure_result> draw_in_one(const std::filesystem::path& work, const std::string& name,
                                       std::span<const figure_job> jobs) {
  std::vector<figure_result> out(jobs.size());
  const std::filesystem::path gp = work / (name + ".gp");
  std::string text = "cd '" + work.string() + "'\n";
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
  if (const auto e = write_atomically(gp, text)) return fail_all(describe(*e));
  std::string program = "gnuplot", file = gp.string();
  char* argv[] = {program.data(), file.data(), nullptr};
  pid_t pid = 0;
  int status = 0;
  bool missing = posix_spawnp(&pid, "gnuplot", nullptr, nullptr, argv, environ) != 0;
  if (!missing) {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    // posix_spawnp may report a missing program only through the child's exit status 127.
    missing = WIFEXITED(status) && WEXITSTATUS(status) == 127;
  }
  if (missing) {
    for (figure_result& r : out) r.gnuplot_missing = true;
    return out;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return fail_all("wavetool: " + gp.string() + ": gnuplot could not draw the figures");
  }
  for (std::size_t k = 0; k < jobs.size(); ++k) {
    waveio::file_error e;
    const auto svg = read_text(work / (jobs[k].name + ".svg"), e);
    if (!svg) {
      out[k].error = "wavetool: " + gp.string() + ": gnuplot did not draw " + jobs[k].name;
    } else {
      out[k].svg = *svg;
    }
  }
  return out;
}

}  // namespace

figure_result draw_figure(const std::filesystem::path& work, const std::string& name,
                          const std::string& script, int height) {
  const figure_job job{name, script, height};
  return draw_in_one(work, name, std::span(&job, 1))[0];
}

std::vector<figure_result> draw_figures(const std::filesystem::path& work,
                                        std::span<const figure_job> jobs) {
  std::vector<figure_result> out(jobs.size());
  const std::size_t lanes =
      std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), jobs.size());
  // One gnuplot per core, each drawing a run of figures in page order.
  std::vector<std::thread> pool;
  pool.reserve(lanes);
  for (std::size_t lane = 0; lane < lanes; ++lane) {
    pool.emplace_back([&, lane] {
      const std::size_t from = lane * jobs.size() / lanes, to = (lane + 1) * jobs.size() / lanes;
      const std::vector<figure_result> drawn =
          draw_in_one(work, "lane" + std::to_string(lane), jobs.subspan(from, to - from));
      std::copy(drawn.begin(), drawn.end(), out.begin() + static_cast<std::ptrdiff_t>(from));
    });
  }
  for (std::thread& t : pool) t.join();
  return out;
}

}  // namespace wavetool
