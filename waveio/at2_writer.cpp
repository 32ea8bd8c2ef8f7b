#include <cstdio>

#include "motion/measures.h"
#include "waveio/exports.h"
#include "waveio/text_fields.h"

namespace waveio {
namespace {

// The description is one line of the header: a control byte in it (a newline in a file name)
// would shift NPTS and DT to another line, so each is written as \xNN.
std::string one_line(std::string_view text) {
  std::string s;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", b);
      s += hex;
    } else {
      s += c;
    }
  }
  return s;
}

}  // namespace

std::string at2_text(std::span<const double> gal, float dt, std::string_view description) {
  char line[96];
  std::string text = "PEER NGA STRONG MOTION DATABASE RECORD\n" + one_line(description) +
                     "\nACCELERATION TIME SERIES IN UNITS OF G\n";
  std::snprintf(line, sizeof line, "NPTS= %7zu, DT= %s SEC\n", gal.size(),
                shortest_text(dt).c_str());
  text += line;
  text.reserve(text.size() + gal.size() * 17 + gal.size() / 5 + 1);
  for (std::size_t i = 0; i < gal.size(); ++i) {
    std::snprintf(line, sizeof line, "%17.8E", gal[i] / motion::standard_gravity);
    text += line;
    if (i % 5 == 4 || i + 1 == gal.size()) text += '\n';
  }
  return text;
}

}  // namespace waveio
