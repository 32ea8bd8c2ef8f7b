#include "operations/export.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "motion/measures.h"
#include "textio/textio.h"
#include "waveio/exports.h"
#include "waveio/text_fields.h"

namespace wavetool {

namespace {

template <class Value, std::size_t n>
std::vector<std::string> names_of(const std::array<named<Value>, n>& table) {
  std::vector<std::string> names;
  for (const named<Value>& entry : table) names.emplace_back(entry.name);
  return names;
}

template <class Value, std::size_t n>
std::optional<Value> value_named(const std::array<named<Value>, n>& table, std::string_view name) {
  const auto at = std::ranges::find(table, name, &named<Value>::name);
  if (at == table.end()) return std::nullopt;
  return at->value;
}

template <class Value, std::size_t n>
const named<Value>& entry_of(const std::array<named<Value>, n>& table, Value value) {
  return *std::ranges::find(table, value, &named<Value>::value);
}

}  // namespace

std::vector<std::string> layout_names() {
  return names_of(export_layouts);
}
std::vector<std::string> history_names() {
  return names_of(histories);
}
std::optional<export_layout> layout_of(std::string_view name) {
  return value_named(export_layouts, name);
}
std::optional<history> history_of(std::string_view name) {
  return value_named(histories, name);
}
std::string_view layout_name(export_layout layout) {
  return entry_of(export_layouts, layout).name;
}
std::string_view export_extension(export_layout layout) {
  return entry_of(export_layouts, layout).detail;
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

std::string export_quantity(const export_request& x) {
  std::string quantity(entry_of(histories, x.what).detail);
  if (x.scale != 1.0) quantity += " times " + waveio::shortest_text(x.scale);
  return quantity;
}

double export_step(const wave& w) {
  // The step as the wave gives it (0.01 s, not the float's binary expansion).
  return textio::scan_real(waveio::shortest_text(w.dt)).value;
}

std::optional<std::string> unreadable_values(const std::vector<double>& values,
                                             std::string_view unit) {
  double largest = 0.0;
  double smallest = HUGE_VAL;
  for (const double v : values) {
    largest = std::max(largest, std::abs(v));
    if (v != 0.0) smallest = std::min(smallest, std::abs(v));
  }
  const auto shown = [unit](double v) { return waveio::short_text(v) + " " + std::string(unit); };
  if (!(largest <= static_cast<double>(std::numeric_limits<float>::max()))) {
    return "values up to " + shown(largest) + ", beyond single precision (3.4e38), which " +
           "import, check and fitwave read";
  }
  if (static_cast<float>(smallest) == 0.0f) {
    return "values down to " + shown(smallest) + ", which import, check and fitwave read as 0 " +
           "in single precision";
  }
  return std::nullopt;
}

std::string export_text(const wave& w, const export_request& x, std::string_view title) {
  const std::vector<double> values = history_values(w, x.what, x.scale);
  const double dt = export_step(w);
  const std::string quantity = export_quantity(x);
  switch (x.layout) {
    case export_layout::opensees:
      return waveio::opensees_text(values);
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
