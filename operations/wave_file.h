// Reading a wave file in fitwave's layouts, with wavetool's messages.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_error.h"
#include "files/output_files.h"
#include "waveio/input_layout.h"

namespace wavetool {

using files::file_error;
// "wavetool: FILE:LINE: message" (without ":LINE" for line 0), no line end.
std::string describe(const file_error& e);

// A wave as fitwave sees it, read by fitwave's grammar (waveio/input_layout.h): both of
// fitwave's layouts, the first two values of every record after the first.
using waveio::wave;
using wave_result = waveio::wave_read;
wave_result parse_wave(std::string_view text, const std::string& file);
wave_result read_wave(const std::filesystem::path& path);

}  // namespace wavetool
