// What long records and other dampings cost, in one run: one spectrum at 3 % against 5 % damping
// (the same wave and grid), one spectrum at every transform length from 4096 to 2^17 (nf/2
// oscillators over nf samples, no quiet tail, so that no oscillator stops early), and a 600 s
// seed (60000 samples, a transform of 65536) drawn and fitted to the bedrock spectrum by
// wavetool, end to end. Prints Markdown tables.
//
//   build/bench/long_record_bench [REPETITIONS]      (default 3; the fit runs once)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "numeric/spectrum.h"

namespace {

constexpr float dt = 0.01f;

using clock_type = std::chrono::steady_clock;
double since(clock_type::time_point t0) {
  return std::chrono::duration<double>(clock_type::now() - t0).count();
}

// A random wave of n samples (gal) under a smooth rise and decay that never reaches rest.
std::vector<float> wave(int n) {
  std::mt19937 gen(2024);
  std::normal_distribution<float> normal(0.0f, 100.0f);
  std::vector<float> w(static_cast<std::size_t>(n));
  for (std::size_t i = 0; i < w.size(); ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(n);
    w[i] = normal(gen) * std::min(1.0f, 20.0f * t) * std::exp(-3.0f * t);
  }
  return w;
}

// The Fourier grid's circular frequencies of a transform of nf samples, points 2..nf/2+1.
std::vector<float> omegas(int nf) {
  const float dom = 6.2831855f / (static_cast<float>(nf) * dt);
  std::vector<float> v(static_cast<std::size_t>(nf / 2));
  for (std::size_t k = 0; k < v.size(); ++k) v[k] = static_cast<float>(k + 1) * dom;
  return v;
}

// The fastest of repetitions of one spectrum at damping h (s).
double best_spectrum(numeric::spectrum_engine& e, float h, const std::vector<float>& ddy,
                     const std::vector<float>& w, int repetitions) {
  std::vector<float> sa(w.size());
  double best = std::numeric_limits<double>::infinity();
  for (int r = 0; r < repetitions; ++r) {
    const auto t0 = clock_type::now();
    e.spectrum(h, dt, static_cast<int>(ddy.size()), ddy, w, sa);
    best = std::min(best, since(t0));
  }
  return best;
}

// The programs sit beside this program in the build tree.
std::filesystem::path program_path(const char* name) {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / name / name;
}

// Runs command; false unless it exits with status 0 or ok_status.
bool run(const std::string& command, int ok_status) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == ok_status);
}

void damping_table(numeric::spectrum_engine& e, int repetitions) {
  constexpr int nf = 32768;
  const std::vector<float> ddy = wave(nf);
  const std::vector<float> w = omegas(nf);
  std::printf("| one spectrum, %d oscillators over %d samples | time (best of %d) |\n", nf / 2, nf,
              repetitions);
  std::printf("|---|---|\n");
  // Alternated, so that a change in the machine's load touches both.
  double best5 = std::numeric_limits<double>::infinity(), best3 = best5;
  for (int r = 0; r < repetitions; ++r) {
    best5 = std::min(best5, best_spectrum(e, 0.05f, ddy, w, 1));
    best3 = std::min(best3, best_spectrum(e, 0.03f, ddy, w, 1));
  }
  std::printf("| h = 0.05 | %.1f ms |\n| h = 0.03 | %.1f ms |\n\n", best5 * 1e3, best3 * 1e3);
}

void length_table(numeric::spectrum_engine& e, int repetitions) {
  std::printf(
      "| transform length nf (samples) | record at 0.01 s | oscillators | one spectrum "
      "(best of %d) | ns per oscillator step |\n",
      repetitions);
  std::printf("|---|---|---|---|---|\n");
  for (int nf = 4096; nf <= 131072; nf *= 2) {
    const std::vector<float> ddy = wave(nf);
    const std::vector<float> w = omegas(nf);
    const double s = best_spectrum(e, 0.05f, ddy, w, repetitions);
    const double steps = static_cast<double>(w.size()) * nf;
    std::printf("| %d | %.2f s | %zu | %.1f ms | %.3f |\n", nf, nf * 0.01, w.size(), s * 1e3,
                s / steps * 1e9);
  }
  std::printf("\n");
}

// wavetool seed then wavetool fit in a fresh folder, the fit timed once.
void long_seed_fit() {
  const std::filesystem::path program = program_path("wavetool");
  if (!std::filesystem::exists(program)) {
    std::printf("wavetool not built: no end-to-end fit\n");
    return;
  }
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("long_record_bench." + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string in = "cd '" + dir.string() + "' && '" + program.string() + "' ";
  if (!run(in + "seed --seed 1 --samples 60000 -o seed.csv", 0)) {
    std::printf("wavetool seed failed\n");
  } else {
    const auto t0 = clock_type::now();
    const bool ok = run(in + "fit seed.csv -o fitted.csv > console.txt 2>&1", 3);
    const double seconds = since(t0);
    std::ifstream console(dir / "console.txt");
    const std::string text(std::istreambuf_iterator<char>(console), {});
    // The verdict, the console's last line.
    const std::size_t end = text.empty() ? 0 : text.size() - 1;
    const std::size_t start = text.rfind('\n', end == 0 ? 0 : end - 1);
    const std::size_t from = start == std::string::npos ? 0 : start + 1;
    const std::string verdict = text.substr(from, end - from);
    std::printf(
        "wavetool fit of the 600 s seed (seed 1, 60000 samples, nf 65536), bedrock: "
        "%.2f s wall%s\n  %s\n",
        seconds, ok ? "" : " (failed)", verdict.c_str());
  }
  std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  numeric::spectrum_engine e;  // every hardware thread, the widest instruction set, as wavetool
  std::printf("engine: %d threads\n\n", e.threads());
  damping_table(e, repetitions);
  length_table(e, repetitions);
  long_seed_fit();
}
