// The response spectrum of a wave at every point of the frequency grid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace fitwave {

// Owns the response histories of the oscillator; construct it once, at the start of a run.
class response_spectrum {
 public:
  explicit response_spectrum(std::size_t size);

  // Damping ratio of every oscillator: 5 % of critical.
  static constexpr float h = 0.05f;

  // For j = 2..nom, sa[j-1] = peak absolute acceleration (gal) of the oscillator with
  // omega = (j-1)*dom (rad/s) under ddy[0..nt-1] (gal) at step dt (s). sa[0] is left alone.
  // Needs 2 <= nt <= size and nom <= sa.size().
  void compute(std::span<const float> ddy, std::int32_t nt, float dt, float dom, std::int32_t nom,
               std::span<float> sa);

 private:
  std::vector<float> acc_, vel_, dis_;
};

}  // namespace fitwave
