// Turning a record into fitwave's input layout.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "files/file_error.h"
#include "motion/grid.h"
#include "waveio/records.h"

namespace wavetool {

// The most samples fitwave reads, and the most wavetool fit takes.
inline constexpr auto fitwave_samples = static_cast<std::size_t>(motion::max_transform_length);
inline constexpr auto wavetool_samples =
    static_cast<std::size_t>(motion::max_design_transform_length);

// Each value times factor in double, rounded once to float.
std::vector<float> to_gal(std::span<const double> values, double factor);

// The samples i with start <= i*dt <= end (a millionth of a step of slack at both ends).
struct sample_range {
  std::size_t first = 0;
  std::size_t count = 0;
};
sample_range window_of(std::size_t samples, double dt, std::optional<double> start,
                       std::optional<double> end);

// fitwave's input layout: the header "time(s),acc(gal)", then "time,acceleration" per sample,
// every line ending in CR LF. Times start at 0 and are i*dt, written so that their difference
// read in float gives float(dt) exactly; accelerations with 9 significant digits.
std::string wave_text(std::span<const float> gal, double dt);

// A record to bring in: its file ("-": standard input), its format (none: decided from the
// text), what the user adds to its own information, and the window to keep (s).
struct record_request {
  std::filesystem::path file;
  std::optional<waveio::record_format> format;
  waveio::record_options options;
  std::optional<double> start, end;
};

// The record's samples in gal as fitwave holds them, with the format read and the notes worth
// telling; or the error, with the file and line where the record stops making sense.
struct imported_record {
  std::vector<float> gal;
  double dt = 0.0;
  waveio::record_format format = waveio::record_format::columns;
  bool detected = false;  // the format was decided from the text
  std::vector<files::file_error> notes;
  std::optional<files::file_error> error;
};
imported_record import_record(const record_request& request);

}  // namespace wavetool
