// Waves for analysis programs: time and value columns, a one-value-a-line file for a path time
// series, and the PEER layout in g. Each writer returns the file's text; none fails.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace waveio {

// "# time(s) QUANTITY", then "time value" per sample: times i*dt in decimal with 15 significant
// digits, values as their shortest decimal that reads back as the same double.
std::string columns_text(std::span<const double> values, double dt, std::string_view quantity);

// One value a line (shortest decimal, as above) and nothing else, for an analysis program's path
// time series: it reads numbers until the first text that is not one, and takes the step and
// the factor as its own options.
std::string opensees_text(std::span<const double> values);

// The step as the columns' times write it (0.01, not 0.010000000000000000208).
std::string step_text(double dt);

// The PEER NGA layout: a title line, the description line, "ACCELERATION TIME SERIES IN UNITS OF
// G", "NPTS=  n, DT= step SEC", then the values gal / 980.665 in g, five a line, each with 9
// significant digits (so that g times 980.665, rounded to single precision, gives back every
// single-precision value in gal). dt is written as its shortest decimal; a control byte in the
// description (a newline) as \xNN, so that the header keeps its four lines.
std::string at2_text(std::span<const double> gal, float dt, std::string_view description);

}  // namespace waveio
