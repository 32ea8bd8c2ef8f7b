// A wave for an analysis program: its acceleration, or the velocity or displacement integrated
// from rest by the trapezoidal rule `check` uses, times a factor, in one of three layouts.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "operations/wave_file.h"

namespace wavetool {

enum class export_layout { columns, opensees, at2 };
enum class history { acceleration, velocity, displacement };

// A word of the export's vocabulary: its value, the name the command line and a plan give it,
// and what goes with it.
template <class Value>
struct named {
  Value value;
  std::string_view name;
  std::string_view detail;
};
// Each layout with the extension of its file written beside a fitted wave.
inline constexpr std::array<named<export_layout>, 3> export_layouts{{
    {export_layout::columns, "columns", ".columns.txt"},
    {export_layout::opensees, "opensees", ".opensees.txt"},
    {export_layout::at2, "at2", ".AT2"},
}};
// Each history with what its values are, with their unit.
inline constexpr std::array<named<history>, 3> histories{{
    {history::acceleration, "acceleration", "acceleration(gal)"},
    {history::velocity, "velocity", "velocity(cm/s)"},
    {history::displacement, "displacement", "displacement(cm)"},
}};

// The names of the layouts, and of the histories, in the tables' order.
std::vector<std::string> layout_names();
std::vector<std::string> history_names();
// The layout or history of a name; nothing for a name that is none.
std::optional<export_layout> layout_of(std::string_view name);
std::optional<history> history_of(std::string_view name);
std::string_view layout_name(export_layout layout);
std::string_view export_extension(export_layout layout);

struct export_request {
  export_layout layout = export_layout::columns;
  history what = history::acceleration;
  double scale = 1.0;
};

// The history (gal, cm/s or cm) of w widened to double, times scale.
std::vector<double> history_values(const wave& w, history what, double scale);

// What the values are, with their unit and factor: "acceleration(gal) times 2.5".
std::string export_quantity(const export_request& x);
// The step of the export as written (the wave's, as its shortest decimal: 0.01 s).
double export_step(const wave& w);

// Why values cannot be exported as they are meant, or nothing: import, check and fitwave read
// them back in single precision, so no value may lie beyond 3.4e38 (an infinity there, and
// AT2 exponents of three digits) and none but 0 may read back as 0.
std::optional<std::string> unreadable_values(const std::vector<double>& values,
                                             std::string_view unit);

// The file's text; title names the wave in the AT2 description line. AT2 holds acceleration
// only (the caller refuses the others). The opensees layout holds the values alone: its step
// and quantity are the reader's to give (export_step, export_quantity).
std::string export_text(const wave& w, const export_request& x, std::string_view title);

}  // namespace wavetool
