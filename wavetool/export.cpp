#include "wavetool/export.h"

#include "motion/measures.h"
#include "textio/textio.h"
#include "waveio/exports.h"
#include "waveio/text_fields.h"

namespace wavetool {

export_layout layout_of(std::string_view name) {
  return name == "opensees" ? export_layout::opensees
         : name == "at2"    ? export_layout::at2
                            : export_layout::columns;
}

history history_of(std::string_view name) {
  return name == "velocity"       ? history::velocity
         : name == "displacement" ? history::displacement
                                  : history::acceleration;
}

std::string_view export_extension(export_layout layout) {
  switch (layout) {
    case export_layout::opensees:
      return ".opensees.txt";
    case export_layout::at2:
      return ".AT2";
    case export_layout::columns:
      break;
  }
  return ".columns.txt";
}

std::vector<double> history_values(const wave& w, history what, double scale) {
  std::vector<double> acc(w.acc.begin(), w.acc.end());
  std::vector<double> vel(acc.size()), dis(acc.size());
  if (what != history::acceleration) {
    motion::integrate_from_rest(acc, static_cast<double>(w.dt), vel, dis);
  }
  std::vector<double>& x = what == history::acceleration ? acc
                           : what == history::velocity   ? vel
                                                         : dis;
  for (double& v : x) v *= scale;
  return x;
}

std::string export_text(const wave& w, const export_request& x, std::string_view title) {
  const std::vector<double> values = history_values(w, x.what, x.scale);
  std::string quantity = x.what == history::acceleration ? "acceleration(gal)"
                         : x.what == history::velocity   ? "velocity(cm/s)"
                                                         : "displacement(cm)";
  if (x.scale != 1.0) quantity += " times " + waveio::shortest_text(x.scale);
  // The step as the wave gives it (0.01 s, not the float's binary expansion).
  const double dt = textio::scan_real(waveio::shortest_text(w.dt)).value;
  switch (x.layout) {
    case export_layout::opensees:
      return waveio::opensees_text(values, dt, quantity);
    case export_layout::at2:
      return waveio::at2_text(
          values, w.dt,
          std::string(title) + (x.scale != 1.0 ? ", times " + waveio::shortest_text(x.scale) : ""));
    case export_layout::columns:
      break;
  }
  return waveio::columns_text(values, dt, quantity);
}

}  // namespace wavetool
