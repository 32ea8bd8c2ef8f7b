#include "operations/wave_file.h"

namespace wavetool {

std::string describe(const file_error& e) {
  std::string s = "wavetool: " + e.file;
  if (e.line > 0) s += ":" + std::to_string(e.line);
  return s + ": " + e.message;
}

wave_result parse_wave(std::string_view text, const std::string& file) {
  return waveio::read_wave_text(text, file);
}

wave_result read_wave(const std::filesystem::path& path) {
  wave_result r;
  file_error e;
  const auto text = files::read_text(path, e);
  if (!text) {
    r.error = e;
    return r;
  }
  return parse_wave(*text, path == files::standard_stream ? std::string(files::standard_input_name)
                                                          : path.string());
}

}  // namespace wavetool
