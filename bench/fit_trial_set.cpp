// The design fit's trial set: seeds 1-20 of seedwave under three corner sets, the same seeds
// decimated to 0.02 s, the two real records, records of other kinds made from them and the first
// 15 and 20 s of each seed, each fitted as `wavetool fit` fits it (coarse steps resampled first)
// against the bedrock spectrum, the surface spectrum of soil 2 and a Eurocode 8 spectrum. One
// line per case (passed, iterations, PGD, time), then the totals.
//
//   build/bench/fit_trial_set [SPECTRA [CASE]]
//   build/bench/fit_trial_set all            every case against every spectrum
//   build/bench/fit_trial_set bedrock,ec8 "seed 2 "   the cases whose name holds "seed 2 "
//
// For studying a case, in the environment: TRIAL_TRACE=1 prints every iteration's measures,
// TRIAL_DETAIL=1 the eight worst and best ratios of the kept spectrum with their periods,
// TRIAL_PROFILE=1 the ratio by band of period and the peak acceleration, TRIAL_ITERATIONS=N the
// limit; TRIAL_TAPER=FULL,NONE (s), TRIAL_LIMITS=TOP,STEP,NEIGHBOURS,WEIGHT,PLAIN_MOST,
// PLAIN_LEAST,MARGIN,LIFT and TRIAL_PEAKS=LOW,HIGH,AIM,CHANGE,STIFF replace the fade, the
// correction's limits and the peak's control (motion::fit_tuning); TRIAL_OFF=NAME,... switches
// heuristics off by their names there (fade, lacking_band, top_band, exponent, lift, peak_hold,
// displacement).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/trial_records.h"
#include "motion/design_fit.h"
#include "motion/resample.h"
#include "motion/target_grid.h"
#include "operations/wave_file.h"
#include "textio/textio.h"

namespace {

namespace fs = std::filesystem;

// The programs sit beside this program in the build tree; the records in the tests' data.
fs::path build_dir() {
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path();
}
const fs::path records_dir = fs::path(GM_SOURCE_DIR) / "tests" / "wavetool" / "data";

wavetool::wave read_or_die(const fs::path& file) {
  const wavetool::wave_result in = wavetool::read_wave(file);
  if (!in.ok()) {
    std::fprintf(stderr, "%s\n", wavetool::describe(*in.error).c_str());
    std::exit(1);
  }
  return in.w;
}

void run_or_die(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

// El Centro 1940 NS: "#" lines, then values in g, 8 a line, at 0.02 s.
std::vector<float> elcentro_gal(const fs::path& file) {
  std::ifstream in(file);
  std::vector<float> acc;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::string_view rest(line);
    while (true) {
      const std::size_t at = rest.find_first_not_of(" \t\r");
      if (at == std::string_view::npos) break;
      rest.remove_prefix(at);
      const textio::scanned_number x = textio::scan_real(rest);
      if (x.error != textio::number_error::none || x.next == 0) std::exit(1);
      acc.push_back(static_cast<float>(x.value * 980.665));
      rest.remove_prefix(x.next);
    }
  }
  return acc;
}

std::vector<trial_wave> trial_waves(const fs::path& scratch) {
  std::vector<trial_wave> waves;
  const motion::corner_times sets[] = {
      {4.0f, 35.0f, 60.0f, 80.0f}, {2.0f, 20.0f, 40.0f, 60.0f}, {3.0f, 25.0f, 50.0f, 81.92f}};
  const char* set_names[] = {"4,35,60,80", "2,20,40,60", "3,25,50,81.92"};
  const fs::path seedwave = build_dir() / "seedwave" / "seedwave";
  for (int seed = 1; seed <= 20; ++seed) {
    const fs::path file = scratch / ("seed" + std::to_string(seed) + ".csv");
    run_or_die("cd '" + scratch.string() + "' && printf '%s\\n' " + std::to_string(seed) + " 0 " +
               file.filename().string() + " | '" + seedwave.string() + "' > /dev/null");
    const wavetool::wave w = read_or_die(file);
    std::vector<float> half;  // every other sample
    for (std::size_t i = 0; i < w.acc.size(); i += 2) half.push_back(w.acc[i]);
    for (int c = 0; c < 3; ++c) {
      const std::string name = "seed " + std::to_string(seed) + " " + set_names[c];
      waves.push_back({name + " 0.01", w.acc, w.dt, sets[c]});
      waves.push_back({name + " 0.02", half, 2.0f * w.dt, sets[c]});
    }
    for (trial_wave& v : short_records(seed, w.acc, w.dt)) waves.push_back(std::move(v));
  }
  const std::vector<float> elcentro = elcentro_gal(records_dir / "elcentro_1940_ns.dat");
  waves.push_back({"elcentro 2,10,20,31.2 0.02", elcentro, 0.02f, {2.0f, 10.0f, 20.0f, 31.2f}});
  const fs::path wavetool = build_dir() / "wavetool" / "wavetool";
  run_or_die("'" + wavetool.string() + "' import '" +
             (records_dir / "RSN753_LOMAP_CLS000.AT2").string() + "' -o '" +
             (scratch / "rsn753.csv").string() + "' 2> /dev/null");
  const wavetool::wave r = read_or_die(scratch / "rsn753.csv");
  waves.push_back({"rsn753 2,16,30,40 0.005", r.acc, r.dt, {2.0f, 16.0f, 30.0f, 40.0f}});
  for (trial_wave& v : record_variants(elcentro, r.acc)) waves.push_back(std::move(v));
  return waves;
}

// The spectra of the trials: the bedrock's, the surface of soil 2 (both extremely rare) and the
// Eurocode 8 type 1 spectrum of ground C at ag = 0.3 g.
motion::design_spectrum spectrum_named(const std::string& name) {
  motion::design_spectrum s;
  if (name == "soil2") {
    s.kind = motion::spectrum_kind::surface;
    s.soil = 2;
  } else if (name == "ec8") {
    s.kind = motion::spectrum_kind::ec8;
    s.ground = 'C';
    s.ag = 0.3;
  }
  return s;
}

// The target at the grid points of a wave of nt samples at dt.
std::vector<float> target_for(const std::string& spectrum, std::size_t nt, float dt) {
  const auto n = static_cast<std::int32_t>(nt);
  const motion::grid g = motion::design_grid(n, dt);
  return motion::target_on_grid(g, spectrum_named(spectrum));
}

struct outcome {
  bool passed = false;
  int iterations = 0;
  double pgd = 0.0;
  double seconds = 0.0;
};

// The peak acceleration beside the target at the shortest grid period, and the ratio of the kept
// spectrum to the target by band of period: mean, least and most.
void print_profile(const motion::design_result& r) {
  float pga = 0.0f;
  for (const float a : r.wave) pga = std::max(pga, std::abs(a));
  std::printf("   pga %.1f, target at %.4f s %.1f\n", static_cast<double>(pga),
              static_cast<double>(motion::period_of(motion::omega_at(r.g.nom, r.g.dom))),
              static_cast<double>(r.target.back()));
  const double edges[] = {0.02, 0.021, 0.022, 0.025, 0.03, 0.035, 0.044, 0.06, 0.08, 0.1, 0.15,
                          0.2,  0.3,   0.5,   0.7,   1.0,  1.5,   2.0,   3.0,  5.0,  7.0, 10.0};
  for (std::size_t b = 0; b + 1 < std::size(edges); ++b) {
    double sum = 0.0, least = 1e9, most = 0.0;
    int n = 0;
    for (std::int32_t j = 2; j <= r.g.nom; ++j) {
      const auto t = static_cast<double>(motion::period_of(motion::omega_at(j, r.g.dom)));
      if (t < edges[b] || t >= edges[b + 1]) continue;
      const auto k = static_cast<std::size_t>(j - 1);
      const double q = static_cast<double>(r.final_sa[k]) / static_cast<double>(r.target[k]);
      sum += q;
      ++n;
      least = std::min(least, q);
      most = std::max(most, q);
    }
    if (n > 0) {
      std::printf("   %6.3f-%6.3f s  %4d points  mean %.3f  least %.3f  most %.3f\n", edges[b],
                  edges[b + 1], n, sum / n, least, most);
    }
  }
}

outcome fit_case(const trial_wave& w, const std::string& spectrum) {
  const auto t0 = std::chrono::steady_clock::now();
  const motion::fit_step step = motion::fit_step_for(w.dt, motion::window_shortest_period, false);
  const std::vector<float> acc = step.factor == 1 ? w.acc : motion::resample(w.acc, step.factor);
  motion::design_settings s;
  s.corners = w.corners;
  if (step.factor > 1) s.recorded_step = w.dt;
  motion::fit_tuning& tuning = s.tuning;
  if (const char* l = std::getenv("TRIAL_TAPER")) {
    float full = 0.0f, none = 0.0f;  // s
    std::sscanf(l, "%f,%f", &full, &none);
    const auto longest = static_cast<double>(s.judged.longest);
    tuning.fade.full = static_cast<double>(full) / longest;
    tuning.fade.none = static_cast<double>(none) / longest;
  }
  if (const char* l = std::getenv("TRIAL_LIMITS")) {
    std::sscanf(l, "%f,%f,%f,%f,%f,%f,%f,%f", &tuning.top_band.steps, &tuning.steps.max_step,
                &tuning.top_band.neighbours, &tuning.top_band.max_weight,
                &tuning.exponent.max_weight, &tuning.exponent.min_weight, &tuning.lift.margin,
                &tuning.lift.most);
  }
  if (const char* l = std::getenv("TRIAL_ITERATIONS")) s.max_iterations = std::atoi(l);
  if (const char* l = std::getenv("TRIAL_PEAKS")) {
    std::sscanf(l, "%f,%f,%f,%f,%f", &tuning.peak_hold.low, &tuning.peak_hold.high,
                &tuning.peak_hold.aim, &tuning.peak_hold.max_change, &tuning.peak_hold.stiff);
  }
  if (const char* l = std::getenv("TRIAL_OFF")) {
    const std::string off = l;
    const auto named = [&off](const char* name) { return off.find(name) != std::string::npos; };
    tuning.fade.on = !named("fade");
    tuning.lacking_band.on = !named("lacking_band");
    tuning.top_band.on = !named("top_band");
    tuning.exponent.on = !named("exponent");
    tuning.lift.on = !named("lift");
    tuning.peak_hold.on = !named("peak_hold");
    tuning.displacement.on = !named("displacement");
  }
  s.target = target_for(spectrum, acc.size(), step.dt);
  s.max_pgd = motion::plausible_pgd(spectrum_named(spectrum), tuning.displacement);
  const motion::design_result r =
      motion::design_fit(acc, step.dt, s, [](const motion::iteration_report& x) {
        if (std::getenv("TRIAL_TRACE") == nullptr) return;
        const motion::criteria& c = x.measures;
        std::printf("     it %2d  %.4f %.4f %.4f %.4f  v %.2f d %.2f pgd %.1f\n", x.iteration,
                    static_cast<double>(c.cr1), static_cast<double>(c.cr2),
                    static_cast<double>(c.cr3), static_cast<double>(c.cr4), x.end.velocity,
                    x.end.displacement, x.pgd);
      });
  outcome o;
  o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  o.passed = r.passed;
  o.iterations = r.last.iteration;
  o.pgd = r.kept.pgd;
  const motion::criteria& c = r.kept.measures;
  std::printf("%-30s %-8s %-10s it %2d (kept %2d)  PGD %7.1f cm  %6.3f s  %.4f %.4f %.4f %.4f\n",
              w.name.c_str(), spectrum.c_str(), r.passed ? "passed" : "NOT PASSED",
              r.last.iteration, r.kept.iteration, o.pgd, o.seconds, static_cast<double>(c.cr1),
              static_cast<double>(c.cr2), static_cast<double>(c.cr3), static_cast<double>(c.cr4));
  if (std::getenv("TRIAL_PROFILE") != nullptr && !r.final_sa.empty()) print_profile(r);
  if (std::getenv("TRIAL_DETAIL") != nullptr && !r.final_sa.empty()) {
    // The grid points of the judged window with the lowest and the highest ratio.
    std::vector<std::pair<float, float>> pts;
    for (std::int32_t j = 2; j <= r.g.nom; ++j) {
      const float t = motion::period_of(motion::omega_at(j, r.g.dom));
      if (t < 0.02f || t > 10.0f) continue;
      const auto k = static_cast<std::size_t>(j - 1);
      pts.push_back({r.final_sa[k] / r.target[k], t});
    }
    std::sort(pts.begin(), pts.end());
    std::printf("   low:");
    for (std::size_t i = 0; i < 8 && i < pts.size(); ++i)
      std::printf(" %.3f@%.3f", static_cast<double>(pts[i].first),
                  static_cast<double>(pts[i].second));
    std::printf("\n   high:");
    for (std::size_t i = 0; i < 8 && i < pts.size(); ++i)
      std::printf(" %.3f@%.3f", static_cast<double>(pts[pts.size() - 1 - i].first),
                  static_cast<double>(pts[pts.size() - 1 - i].second));
    std::printf("\n");
  }
  std::fflush(stdout);
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string spectra_arg = argc > 1 ? argv[1] : "all";
  const std::string filter = argc > 2 ? argv[2] : "";
  std::vector<std::string> spectra;
  for (const char* s : {"bedrock", "soil2", "ec8"}) {
    if (spectra_arg == "all" || spectra_arg.find(s) != std::string::npos) spectra.emplace_back(s);
  }
  const fs::path scratch =
      fs::temp_directory_path() / ("fit_trial_set." + std::to_string(getpid()));
  fs::create_directories(scratch);
  const std::vector<trial_wave> waves = trial_waves(scratch);
  fs::remove_all(scratch);

  int all_failed = 0;
  double all_seconds = 0.0;
  for (const std::string& spectrum : spectra) {
    std::vector<int> its;
    int cases = 0, failed = 0;
    double seconds = 0.0, pgd = 0.0;
    for (const trial_wave& w : waves) {
      if (w.name.find(filter) == std::string::npos) continue;
      const outcome o = fit_case(w, spectrum);
      ++cases;
      seconds += o.seconds;
      if (!o.passed) {
        ++failed;
        continue;
      }
      its.push_back(o.iterations);
      pgd = std::max(pgd, o.pgd);
    }
    std::sort(its.begin(), its.end());
    const int median = its.empty() ? 0 : its[its.size() / 2];
    const int most = its.empty() ? 0 : its.back();
    std::printf(
        "total %-8s %3d cases, %3d passed, %3d not; iterations median %d, most %d; largest PGD "
        "%.1f cm; fit time %.2f s\n",
        spectrum.c_str(), cases, cases - failed, failed, median, most, pgd, seconds);
    all_failed += failed;
    all_seconds += seconds;
  }
  std::printf("total fit time %.2f s, %d not passed\n", all_seconds, all_failed);
  return all_failed == 0 ? 0 : 3;
}
