// Fuzzes wavetool's wave reader (fitwave's grammar over text in memory): any bytes give either a
// wave of at least two finite single-precision samples at a positive finite step, or an error
// naming a line that exists. Nothing is printed, nothing ends the process.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "waveio/input_layout.h"

namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const waveio::wave_read r = waveio::read_wave_text(text, "w.csv");
  const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  if (r.ok()) {
    check(r.w.acc.size() >= 2, "a wave of fewer than two samples accepted");
    check(r.w.dt > 0.0f && std::isfinite(r.w.dt), "a step not positive and finite accepted");
    for (const float a : r.w.acc) check(std::isfinite(a), "a non-finite sample accepted");
  } else {
    check(!r.error->message.empty(), "an error without a message");
    check(r.error->file == "w.csv", "an error naming another file");
    check(r.error->line >= 0 && r.error->line <= lines, "an error on a line that does not exist");
  }
  return 0;
}
