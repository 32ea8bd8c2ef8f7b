#include "waveio/seed_file.h"

#include <array>
#include <cstdio>

#include "textio/textio.h"

namespace waveio {

std::optional<int> seed_step_decimals(double dt) {
  for (int decimals = 2; decimals <= max_seed_decimals; ++decimals) {
    std::array<char, 64> shown{};
    const int n = std::snprintf(shown.data(), shown.size(), "%.*f", decimals, dt);
    const textio::scanned_number read =
        textio::scan_real(std::string_view(shown.data(), static_cast<std::size_t>(n)));
    if (static_cast<float>(read.value) == static_cast<float>(dt)) return decimals;
  }
  return std::nullopt;
}

std::string seed_row_pattern(double dt) {
  const int decimals = seed_step_decimals(dt).value_or(max_seed_decimals);
  return "(F" + std::to_string(decimals + 6) + "." + std::to_string(decimals) + ",',',E12.4)";
}

std::string seed_file_text(std::span<const double> acc, double dt) {
  const std::array<textio::item, 1> header{seed_file_header};
  std::string text = textio::free_record_text(header);
  const textio::pattern_text row(seed_row_pattern(dt));
  text.reserve(text.size() + acc.size() * 23);
  for (std::size_t i = 0; i < acc.size(); ++i) {
    const std::array<textio::value, 2> values{static_cast<double>(i) * dt, acc[i]};
    text += row.records(values);
  }
  return text;
}

}  // namespace waveio
