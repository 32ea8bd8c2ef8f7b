#include "suite/suite.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace wavetool {

int threads_per_fit(int jobs, int cores) {
  return std::max(1, cores / std::max(1, jobs));
}

void run_fits(std::vector<suite_fit>& fits, int jobs, int threads,
              const std::function<void(std::size_t)>& on_done) {
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  if (jobs <= 0) jobs = cores;
  const std::size_t workers = std::min(static_cast<std::size_t>(jobs), fits.size());
  const int engine_threads =
      threads > 0 ? threads
                  : threads_per_fit(static_cast<int>(std::max<std::size_t>(1, workers)), cores);
  for (suite_fit& f : fits) f.job.settings.threads = engine_threads;
  std::atomic<std::size_t> next{0};
  std::mutex done;
  const auto work = [&] {
    for (std::size_t k = next++; k < fits.size(); k = next++) {
      suite_fit& f = fits[k];
      if (!f.scaled) f.result = run_fit_job(f.job, [](const motion::iteration_report&) {});
      if (f.site) {
        // The wave as written and read back is the site's input, as a gathered run reads it.
        f.site_result = site_of_wave(*f.site, parse_wave(f.result.wave_text, "bedrock").w);
      }
      const std::lock_guard<std::mutex> lock(done);
      on_done(k);
    }
  };
  std::vector<std::thread> pool;
  pool.reserve(workers > 0 ? workers - 1 : 0);
  for (std::size_t i = 1; i < workers; ++i) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
}

std::string shell_quoted(std::string_view word) {
  const bool safe = !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("_-./=:,+@%").find(c) != std::string_view::npos;
  });
  if (safe) return std::string(word);
  std::string s = "'";
  for (const char c : word) s += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return s + "'";
}

std::string only_command(std::string_view program, std::string_view plan_file, std::string_view out,
                         const plan& p, const fit_item& f) {
  return shell_quoted(program) + " suite " + shell_quoted(plan_file) + " --out " +
         shell_quoted(out) + " --only " + shell_quoted(fit_name(p, f));
}

}  // namespace wavetool
