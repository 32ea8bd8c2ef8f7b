// Reading the input acceleration wave: a header line, then time and acceleration per line.
#pragma once

#include <cstdint>
#include <span>

namespace fitwave {

// What the reading of the input wave found.
struct wave {
  enum class verdict { ok, too_few_samples, bad_time_step };
  verdict status = verdict::ok;
  std::int32_t nt = 0;  // complete time/acceleration pairs read
  float dt = 0.0f;      // time(2) - time(1) (s)
};

// Opens the named file on unit 11 (a missing file is created empty, an existing one is never
// cut), skips its header record, reads time/acceleration pairs up to the end of the file into
// time and ddy, and closes it. Pairs past the capacity of the arrays are counted but not stored.
// A wave without two samples, or whose first step is not a positive finite number, cannot be
// fitted: its verdict says why. A bad number in the file ends the run with the fatal report.
wave read_wave(std::span<const char> infile, std::span<float> time, std::span<float> ddy);

}  // namespace fitwave
