#include "operations/result_json.h"

#include "textio/textio.h"
#include "waveio/text_fields.h"

namespace wavetool {

double json_float(float x) {
  return textio::scan_real(waveio::shortest_text(x)).value;
}

void add_measures(nlohmann::ordered_json& j, const motion::motion_summary& m, bool pga_as_float) {
  j["samples"] = m.samples;
  j["dt"] = json_float(static_cast<float>(m.dt));
  j["pga"] = pga_as_float ? json_float(static_cast<float>(m.pga)) : m.pga;
  j["pga_time"] = json_float(static_cast<float>(m.pga_time));
  for (const measure_entry& e : double_measures) j[e.key] = m.*e.value;
}

}  // namespace wavetool
