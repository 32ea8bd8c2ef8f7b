#include "motion/design_spectrum.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "motion/measures.h"
#include "numeric/design.h"

namespace motion {
namespace {

// Simplified surface amplification: soil 1 ends its plateau at 0.576 s, where 0.864/T meets 1.5,
// and settles at 1.35 from 0.64 s; soils 2 and 3 rise as 1.5*T/0.64 to gv at Tu = 0.64*gv/1.5.
constexpr double gs_short = 1.5;
constexpr double gs_corner = 0.64;
constexpr double soil1_corner = 0.576;
constexpr double soil1_long = 1.35;
constexpr double soil2_gv = 2.025;
constexpr double soil3_gv = 2.7;

double bedrock_sa(const design_spectrum& s, double period) {
  // The 1461 shape itself, with its corner tests, is the one seedwave draws from.
  double sa = numeric::dtgtsa(period);
  if (s.level == spectrum_level::rare) sa /= 5.0;
  return sa * s.zone * bedrock_damping_factor(s.damping);
}

double ec8_sa(const design_spectrum& s, double period) {
  const ec8_corners c = ec8_parameters(s.ec8_type, s.ground);
  const double plateau = s.ag * standard_gravity * c.s * ec8_damping_factor(s.damping) * 2.5;
  if (period < c.tb) {
    const double ag_s = s.ag * standard_gravity * c.s;
    return ag_s + (plateau - ag_s) * period / c.tb;
  }
  if (period < c.tc) return plateau;
  if (period < c.td) return plateau * c.tc / period;
  // Continued past 4 s: the standard's long periods belong to its displacement spectrum.
  return plateau * c.tc * c.td / (period * period);
}

double asce7_sa(const design_spectrum& s, double period) {
  const double t0 = 0.2 * s.sd1 / s.sds;
  const double ts = s.sd1 / s.sds;
  double sa = s.sds;
  if (period < t0) {
    sa = s.sds * (0.4 + 0.6 * period / t0);
  } else if (period > s.tl) {
    sa = s.sd1 * s.tl / (period * period);
  } else if (period > ts) {
    sa = s.sd1 / period;
  }
  return sa * standard_gravity;
}

double table_sa(const design_spectrum& s, double period) {
  const auto upper = std::upper_bound(s.periods.begin(), s.periods.end(), period);
  const auto i = static_cast<std::size_t>(upper - s.periods.begin()) - 1;
  if (s.periods[i] == period || i + 1 == s.periods.size()) return s.sa[i];
  // A straight line between the two points on log-log axes.
  const double f = std::log(period / s.periods[i]) / std::log(s.periods[i + 1] / s.periods[i]);
  return s.sa[i] * std::exp(f * std::log(s.sa[i + 1] / s.sa[i]));
}

std::string number(double x) {
  std::array<char, 32> buffer{};
  const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x);
  return {buffer.data(), r.ptr};
}

std::string level_and_zone(const design_spectrum& s) {
  return std::string(s.level == spectrum_level::rare ? "rare" : "extreme") + " level, Z " +
         number(s.zone);
}

}  // namespace

ec8_corners ec8_parameters(int type, char ground) {
  // S, TB, TC, TD recommended for ground classes A..E: type 1 (large earthquakes), type 2.
  static constexpr std::array<ec8_corners, 5> type1{{{1.0, 0.15, 0.4, 2.0},
                                                     {1.2, 0.15, 0.5, 2.0},
                                                     {1.15, 0.20, 0.6, 2.0},
                                                     {1.35, 0.20, 0.8, 2.0},
                                                     {1.4, 0.15, 0.5, 2.0}}};
  static constexpr std::array<ec8_corners, 5> type2{{{1.0, 0.05, 0.25, 1.2},
                                                     {1.35, 0.05, 0.25, 1.2},
                                                     {1.5, 0.10, 0.25, 1.2},
                                                     {1.8, 0.10, 0.30, 1.2},
                                                     {1.6, 0.05, 0.25, 1.2}}};
  if (ground < 'A' || ground > 'E' || (type != 1 && type != 2)) return {};
  const auto k = static_cast<std::size_t>(ground - 'A');
  return type == 1 ? type1[k] : type2[k];
}

double bedrock_damping_factor(double h) {
  return 1.5 / (1.0 + 10.0 * h);
}

double ec8_damping_factor(double h) {
  return std::max(0.55, std::sqrt(10.0 / (5.0 + 100.0 * h)));
}

double surface_amplification(int soil, double period) {
  if (soil == 1) {
    if (period < soil1_corner) return gs_short;
    return period < gs_corner ? gs_short * soil1_corner / period : soil1_long;
  }
  if (soil != 2 && soil != 3) return 0.0;
  const double gv = soil == 2 ? soil2_gv : soil3_gv;
  const double tu = gs_corner * gv / gs_short;
  if (period < gs_corner) return gs_short;
  return period < tu ? gs_short * period / gs_corner : gv;
}

bool covers(const design_spectrum& s, double period) {
  if (!(period > 0.0) || !std::isfinite(period)) return false;
  if (s.kind != spectrum_kind::table) return true;
  return !s.periods.empty() && s.periods.front() <= period && period <= s.periods.back();
}

double spectral_acceleration(const design_spectrum& s, double period) {
  switch (s.kind) {
    case spectrum_kind::bedrock:
      return bedrock_sa(s, period);
    case spectrum_kind::surface:
      return bedrock_sa(s, period) * surface_amplification(s.soil, period);
    case spectrum_kind::ec8:
      return ec8_sa(s, period);
    case spectrum_kind::asce7:
      return asce7_sa(s, period);
    case spectrum_kind::table:
      return table_sa(s, period);
  }
  return 0.0;
}

std::string description(const design_spectrum& s) {
  const std::string h = ", h " + number(s.damping);
  switch (s.kind) {
    case spectrum_kind::bedrock:
      return "bedrock, " + level_and_zone(s) + h;
    case spectrum_kind::surface:
      return "surface soil " + std::to_string(s.soil) + ", " + level_and_zone(s) + h;
    case spectrum_kind::ec8:
      return "ec8 type " + std::to_string(s.ec8_type) + ", ground " + std::string(1, s.ground) +
             ", ag " + number(s.ag) + " g" + h;
    case spectrum_kind::asce7:
      return "asce7, SDS " + number(s.sds) + " g, SD1 " + number(s.sd1) + " g, TL " + number(s.tl) +
             " s" + h;
    case spectrum_kind::table:
      return "table " + s.table_name + h;
  }
  return {};
}

const char* kind_name(spectrum_kind k) {
  switch (k) {
    case spectrum_kind::bedrock:
      return "bedrock";
    case spectrum_kind::surface:
      return "surface";
    case spectrum_kind::ec8:
      return "ec8";
    case spectrum_kind::asce7:
      return "asce7";
    case spectrum_kind::table:
      return "table";
  }
  return "";
}

}  // namespace motion
