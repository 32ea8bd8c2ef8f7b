#include <cstdio>

#include "waveio/exports.h"
#include "waveio/text_fields.h"

namespace waveio {
namespace {

// i times the step in decimal: 15 digits hide the binary product's last bit (0.03, not
// 0.030000000000000002).
std::string time_text(std::size_t i, double dt) {
  char buffer[40];
  const int n = std::snprintf(buffer, sizeof buffer, "%.15g", static_cast<double>(i) * dt);
  return {buffer, static_cast<std::size_t>(n)};
}

}  // namespace

std::string columns_text(std::span<const double> values, double dt, std::string_view quantity) {
  std::string text = "# time(s) " + std::string(quantity) + "\n";
  text.reserve(text.size() + values.size() * 36);
  for (std::size_t i = 0; i < values.size(); ++i) {
    text += time_text(i, dt) + " " + shortest_text(values[i]) + "\n";
  }
  return text;
}

std::string opensees_text(std::span<const double> values) {
  std::string text;
  text.reserve(values.size() * 24);
  for (const double v : values) text += shortest_text(v) + "\n";
  return text;
}

std::string step_text(double dt) {
  return time_text(1, dt);
}

}  // namespace waveio
