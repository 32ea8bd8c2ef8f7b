// Reading the input acceleration wave and choosing the transform length.
#pragma once

#include <cstdint>
#include <span>

namespace fitwave {

struct wave {
  std::int32_t nt = 0;  // complete time/acceleration pairs read
  float dt = 0.0f;      // time(2) - time(1) (s)
};

// Opens the named file on unit 11 (a missing file is created empty), skips its header record,
// reads time/acceleration pairs up to the end of the file into time and ddy, closes it and
// prints "NT and DT=". Pairs past the capacity of the arrays are counted but not stored. A
// wave of fewer than two pairs ends the run with status 1 after one line on the console.
wave read_wave(std::span<const char> infile, std::span<float> time, std::span<float> ddy);

struct transform_size {
  std::int32_t nf = 0;   // the smallest power of two from 4 to 32768 not below nt
  std::int32_t if1 = 0;  // its exponent, 2..15; 0 when nt > 32768
};
transform_size transform_length(std::int32_t nt);

// transform_length, printed; a wave over 32768 samples stops the run normally (status 0).
transform_size choose_transform_length(std::int32_t nt);

}  // namespace fitwave
