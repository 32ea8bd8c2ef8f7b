// Fuzzes the site profile reader: the bytes up to the first NUL are the profile's TOML, the rest
// the table file t.txt beside it. Any bytes give either a profile the site library accepts as it
// stands, or a fault in one line naming the profile or its table and a line that exists there.
// Inputs that could name a file elsewhere (a '/' or a TOML unicode escape) are left out: a table
// path such as /dev/zero would read forever, which is no fault of the reader.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "site/profile.h"
#include "suite/profile.h"

namespace {

namespace fs = std::filesystem;

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

int lines_in(std::string_view text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
}

// The folder the profile and its table lie in, removed when the run ends.
struct scratch_folder {
  fs::path dir = fs::temp_directory_path() / ("gm_site_profile_fuzz_" + std::to_string(::getpid()));
  scratch_folder() { fs::create_directories(dir); }
  ~scratch_folder() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
};

const fs::path& folder() {
  static const scratch_folder scratch;
  return scratch.dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = bytes.find('\0');
  const std::string_view profile = bytes.substr(0, nul);
  const std::string_view table = nul == std::string_view::npos ? "" : bytes.substr(nul + 1);
  if (profile.find('/') != std::string_view::npos ||
      profile.find("\\u") != std::string_view::npos ||
      profile.find("\\U") != std::string_view::npos) {
    return 0;
  }
  const fs::path profile_file = folder() / "p.toml";
  const fs::path table_file = folder() / "t.txt";
  std::ofstream(table_file, std::ios::binary) << table;

  const wavetool::profile_read r = wavetool::parse_profile(profile, profile_file);
  if (r.ok()) {
    check(!site::check_profile(r.profile), "a profile accepted that the library refuses");
    return 0;
  }
  const files::file_error& e = *r.error;
  check(!e.message.empty(), "a fault without a message");
  check(e.message.find_first_of("\n\r") == std::string::npos, "a fault of more than one line");
  const bool in_profile = e.file == profile_file.string();
  // A table named otherwise than t.txt cannot be read and is told at the profile's line.
  check(in_profile || e.file == table_file.string(), "a fault naming another file");
  check(e.line >= 0 && e.line <= lines_in(in_profile ? profile : table),
        "a fault on a line that does not exist");
  return 0;
}
