// Trials of the design fit's settings on any wave: the fade of the correction beyond 10 s, the
// envelope exponent, rest on or off. Prints every iteration and, at the end, the final spectrum
// against the target and the input at the longest periods, where the settings act.
//
//   build/bench/fit_trials WAVE.csv [TB TC TD TE] [FULL NONE] [AMPFAC] [REST 0|1] [MAX]
//   build/bench/fit_trials tests/golden/corralitos.csv 2 16 30 40 15 20
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "motion/design_fit.h"
#include "operations/wave_file.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: fit_trials WAVE.csv [TB TC TD TE] [FULL NONE] [AMPFAC] [REST] [MAX]\n");
    return 2;
  }
  const wavetool::wave_result in = wavetool::read_wave(argv[1]);
  if (!in.ok()) {
    std::fprintf(stderr, "%s\n", wavetool::describe(*in.error).c_str());
    return 1;
  }
  const auto arg = [&](int k, float fallback) {
    return argc > k ? static_cast<float>(std::atof(argv[k])) : fallback;
  };
  motion::design_settings s;
  const motion::corner_times d;
  s.corners = {arg(2, d.tb), arg(3, d.tc), arg(4, d.td), arg(5, d.te)};
  // The fade's ends in s, taken as multiples of the window's longest period.
  const auto longest = static_cast<double>(s.judged.longest);
  const motion::long_period_taper taper = motion::taper_for(s.judged.longest, s.tuning.fade);
  s.tuning.fade.full = static_cast<double>(arg(6, taper.full)) / longest;
  s.tuning.fade.none = static_cast<double>(arg(7, taper.none)) / longest;
  s.ampfac = arg(8, 1.0f);
  s.rest = arg(9, 1.0f) != 0.0f;
  s.max_iterations = static_cast<int>(arg(10, 30.0f));

  const auto t0 = std::chrono::steady_clock::now();
  const motion::design_result r =
      motion::design_fit(in.w.acc, in.w.dt, s, [](const motion::iteration_report& x) {
        const motion::criteria& c = x.measures;
        std::printf("%3d  %.4f %.4f %.4f %.4f  v %+9.4f  d %+10.4f  pgv %7.2f  pgd %8.2f\n",
                    x.iteration, static_cast<double>(c.cr1), static_cast<double>(c.cr2),
                    static_cast<double>(c.cr3), static_cast<double>(c.cr4), x.end.velocity,
                    x.end.displacement, x.pgv, x.pgd);
      });
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  for (std::int32_t j = 2; j <= r.g.nom && j <= 14; ++j) {
    const auto k = static_cast<std::size_t>(j - 1);
    std::printf("T %7.2f s  target %8.2f  input %8.2f  final %8.2f  final/target %.3f\n",
                static_cast<double>(motion::period_of(motion::omega_at(j, r.g.dom))),
                static_cast<double>(r.target[k]), static_cast<double>(r.input_sa[k]),
                static_cast<double>(r.final_sa[k]),
                static_cast<double>(r.final_sa[k] / r.target[k]));
  }
  std::printf("%s, %zu samples, %.3f s\n", r.passed ? "passed" : "not passed", r.wave.size(),
              seconds);
  return r.passed ? 0 : 3;
}
