// seedwave: draws a random-phase seed acceleration wave whose Fourier amplitudes follow the
// design target spectrum, shapes it with the four-corner envelope and writes it as a
// comma-separated file of time and acceleration.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "dialogue/corner_times.h"
#include "motion/seed_wave.h"
#include "seedwave/grid.h"
#include "seedwave/seed_file.h"
#include "textio/textio.h"

namespace {

using namespace textio;

std::int32_t ask_seed() {
  std::int32_t idum = 0;  // what a null answer keeps
  write_free_record(console_out);
  write_free_record(console_out, {"Enter Random Number (1-999)"});
  read_free_record(console_in, {&idum});
  return idum;
}

void print_grid() {
  using namespace seedwave;
  write_free_record(console_out);
  write_free_record(console_out, {" dt,nt,duration(=dt*nt)=", dt, nt, dur});
  write_free_record(console_out, {" DUR,DOM,NOM,EOM=", dur, dom, nom, eom});
  write_free_record(console_out, {" Highest Frequency (hz)=", eom / (2.0 * pi)});
}

std::array<char, 50> ask_output_name() {
  std::array<char, 50> infile;
  infile.fill(' ');  // a null answer keeps a blank name, which the open refuses
  write_free_record(console_out);
  write_free_record(console_out, {"Enter a Seed Acceleration for OUTPUT"});
  read_free_record(console_in, {std::span<char>(infile)});
  return infile;
}

}  // namespace

int main() {
  start_run();

  const std::int32_t seed = ask_seed();
  print_grid();
  const motion::seed_grid grid = motion::make_seed_grid(seedwave::nt, seedwave::dt);
  motion::seed_corners corners = motion::default_corners(grid);
  dialogue::ask_corner_times(corners.tb, corners.tc, corners.td, corners.te);
  const std::array<char, 50> infile = ask_output_name();

  // The 1461 bedrock spectrum at its defaults, drawn on the program's fixed grid.
  const std::vector<double> wave =
      motion::draw_seed(seed, grid, motion::design_spectrum{}, corners);
  seedwave::write_seed_file(std::string_view(infile.data(), infile.size()), wave);
  stop_run();
}
