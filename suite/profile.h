// A site's soil column read from its TOML profile: [site] with how it is analysed, [[layer]]
// tables top down, [bedrock]; a layer's table of strain (%), G/G0 and damping lies in a file of
// its own, relative to the profile. Every fault is told as FILE:LINE: key: what is wrong.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "files/file_error.h"
#include "site/profile.h"

namespace wavetool {

struct profile_read {
  site::site_profile profile;
  std::optional<files::file_error> error;  // the first fault, by line; the profile is unusable
  bool ok() const { return !error; }
};

// The profile in text, as the file would give it (its tables read beside the file).
profile_read parse_profile(std::string_view text, const std::filesystem::path& file);
profile_read read_profile(const std::filesystem::path& file);

}  // namespace wavetool
