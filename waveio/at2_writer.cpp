#include <cstdio>

#include "motion/measures.h"
#include "waveio/exports.h"
#include "waveio/text_fields.h"

namespace waveio {

std::string at2_text(std::span<const double> gal, float dt, std::string_view description) {
  char line[96];
  std::string text = "PEER NGA STRONG MOTION DATABASE RECORD\n" + std::string(description) +
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
