// Changing a wave's time step by band-limited interpolation: the wave, padded with zeros, is
// taken to the frequency domain, its spectrum is extended with zeros (a finer step) or cut at
// the new Nyquist frequency (a coarser one), and transformed back. Below the old Nyquist
// frequency nothing changes; at a finer step every original sample is kept. Double precision.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace motion {

// The step a wave is fitted at. Oscillators of period T respond to a wave sampled at dt only
// for T >= 2 dt, so a step coarser than half the window's shortest period is divided by the
// smallest whole factor that makes it not (0.1 s by 10, 0.025 s by 3; at most 64): factor new
// samples for each old step (1: the wave's own step).
struct fit_step {
  float dt = 0.0f;          // s
  std::int32_t factor = 1;  // 1 to 64
};
fit_step fit_step_for(float dt, float shortest_period, bool keep_step);

// The samples of acc (at step dt) at step dt/factor (a whole factor from 1 to 64), or at step
// dt*(-factor) for a negative factor, a power of two down to -64. The result covers the same time
// span: the last sample lies at or before the last original one. Empty for another factor or for
// fewer than two samples.
std::vector<float> resample(std::span<const float> acc, std::int32_t factor);

// The factor from step dt to step new_dt, when new_dt/dt or dt/new_dt is a power of two to
// within a millionth; none otherwise.
std::optional<std::int32_t> resample_factor(double dt, double new_dt);

}  // namespace motion
