// The design spectra a job fits to: Notification 1461 on the engineering bedrock at both levels,
// the same at the ground surface by the simplified amplification of Notification 1457, the
// Eurocode 8 elastic spectrum, the ASCE 7 two-period design spectrum and an engineer's table.
// Everything in double; Sa in gal (cm/s^2), periods in s, accelerations given in g taken as
// standard gravity (motion/measures.h).
#pragma once

#include <string>
#include <vector>

namespace motion {

enum class spectrum_kind { bedrock, surface, ec8, asce7, table };
enum class spectrum_level { extreme, rare };  // rare: 1/5 of extremely rare, the damage check

inline constexpr double zone_max = 1.5;  // the regional factor Z lies in (0, zone_max]
inline constexpr double default_damping = 0.05;
// The period window of criteria 1, 3 and 4 unless a job gives its own (s).
inline constexpr double default_window_min = 0.02;
inline constexpr double default_window_max = 10.0;

// One design spectrum. Which fields count depends on kind:
// bedrock: level, zone, damping; surface: the same and soil (1, 2 or 3); ec8: ec8_type (1, 2),
// ground ('A'..'E'), ag (g), damping; asce7: sds, sd1 (g), tl (s), at 5 % only; table: periods
// (s, strictly increasing, > 0), sa (gal, > 0) and the name it came from, taken as given at
// damping. Nothing here checks the fields: the option reader and the table reader do.
struct design_spectrum {
  spectrum_kind kind = spectrum_kind::bedrock;
  spectrum_level level = spectrum_level::extreme;
  double zone = 1.0;
  int soil = 0;
  int ec8_type = 1;
  char ground = 'A';
  double ag = 0.0;
  double sds = 0.0;
  double sd1 = 0.0;
  double tl = 0.0;
  std::vector<double> periods;
  std::vector<double> sa;
  std::string table_name;
  double damping = default_damping;  // ratio of critical, of the spectrum and of the oscillators
};

// The recommended soil factor S and corner periods TB, TC, TD (s) of the Eurocode 8 elastic
// spectrum for a type (1, 2) and ground class ('A'..'E'); {0, 0, 0, 0} for any other.
struct ec8_corners {
  double s = 0.0;
  double tb = 0.0;
  double tc = 0.0;
  double td = 0.0;
};
ec8_corners ec8_parameters(int type, char ground);

// Damping correction of the bedrock spectrum, Fh = 1.5/(1 + 10h): 1 at h = 0.05.
double bedrock_damping_factor(double h);
// Damping correction of Eurocode 8, eta = sqrt(10/(5 + xi)) with xi = 100h in percent, >= 0.55.
double ec8_damping_factor(double h);
// The simplified surface amplification Gs(T) of soil 1, 2 or 3; 0 for another soil.
double surface_amplification(int soil, double period);

// Whether Sa is defined at period (s): any period > 0, and for a table only the periods from its
// first to its last, both included; a table is never extrapolated.
bool covers(const design_spectrum& s, double period);
// Sa (gal) at period (s); the period must be covered. Never fails.
double spectral_acceleration(const design_spectrum& s, double period);

// One line naming the spectrum and its parameters, for reports and progress lines, e.g.
// "surface soil 2, rare level, Z 1, h 0.03".
std::string description(const design_spectrum& s);
// "bedrock", "surface", "ec8", "asce7" or "table": the names the command line uses.
const char* kind_name(spectrum_kind k);

}  // namespace motion
