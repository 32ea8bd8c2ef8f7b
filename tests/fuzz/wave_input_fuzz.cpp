// Fuzzes fitwave's reading of the input wave: the bytes become the wave file, which is opened,
// its header skipped and its pairs read to the end of the file, then the transform length is
// chosen. A fatal report ends the run through this program's own abnormal end, which throws
// instead of ending the process, and the text layer is reset before the next input. The arrays are
// kept small, so that short inputs also pass their capacity (pairs past it are counted but never
// stored).
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "fitwave/units.h"
#include "fitwave/wave_file.h"
#include "motion/grid.h"
#include "textio/detail/layer.h"

namespace {

struct run_ended {};

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

// Whether any descriptor of the process still refers to the file.
bool file_still_open(const std::string& path) {
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code ec;
    if (std::filesystem::read_symlink(e.path(), ec) == path) return true;
  }
  return false;
}

}  // namespace

// Replaces the text layer's abnormal end, which would abort the process.
[[noreturn]] void textio::detail::abnormal_end() {
  throw run_ended{};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // 20 characters at most, as typed into fitwave's name field.
  static const std::string name = "/tmp/gmfz" + std::to_string(::getpid()) + ".w";

  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  check(fd >= 0 && ::write(fd, data, size) == static_cast<ssize_t>(size), "wave file written");
  ::close(fd);

  std::array<char, 20> infile;
  infile.fill(' ');
  name.copy(infile.data(), infile.size());
  std::vector<float> time(64, 0.0f), ddy(64, 0.0f);
  try {
    const fitwave::wave w = fitwave::read_wave(infile, time, ddy);
    using verdict = fitwave::wave::verdict;
    check((w.nt < 2) == (w.status == verdict::too_few_samples), "verdict on the sample count");
    if (w.status == verdict::ok) {
      check(w.dt > 0.0f && std::isfinite(w.dt), "a wave without a positive step went on");
      const motion::transform_size s = motion::transform_length(w.nt);
      check(w.nt > 32768 ? s.if1 == 0
                         : s.nf >= w.nt && s.nf >= 4 && s.nf <= 32768 && s.nf == 1 << s.if1,
            "transform length");
    }
  } catch (const run_ended&) {
    // A fatal report: the file must still be closed and released below.
  }
  check(!textio::detail::unit_at(fitwave::wave_unit).connected, "wave file left connected");
  textio::detail::reset_layer();
  check(!file_still_open(name), "descriptor of the wave file leaked");
  return 0;
}
