#include "motion/design_fit.h"

#include <charconv>
#include <cmath>
#include <numbers>
#include <utility>

#include "motion/response_spectrum.h"

namespace motion {
namespace {

// Weight of the target in the aim at period t: 1 up to full, 0 from none, a half cosine between.
double target_weight(float t, const long_period_taper& taper) {
  if (!(t > taper.full)) return 1.0;
  if (t >= taper.none) return 0.0;
  const double x =
      static_cast<double>(t - taper.full) / static_cast<double>(taper.none - taper.full);
  return 0.5 * (1.0 + std::cos(std::numbers::pi * x));
}

// A value of four significant digits: mantissa (1000..9999, signed) times 10^exponent.
struct four_digits {
  std::int32_t mantissa = 0;
  std::int32_t exponent = 0;
};

four_digits nearest_four_digits(double x) {
  char text[32];
  const char* end =
      std::to_chars(text, text + sizeof text, x, std::chars_format::scientific, 3).ptr;
  const char* p = text;
  const bool negative = *p == '-';
  if (negative) ++p;
  std::int32_t m = 0;
  for (; p != end && *p != 'e'; ++p) {
    if (*p != '.') m = m * 10 + (*p - '0');
  }
  std::int32_t e = 0;
  if (p != end) std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, e);
  return {negative ? -m : m, e - 3};
}

float value_of(const four_digits& v) {
  char text[32];
  char* const last = text + sizeof text;
  char* p = std::to_chars(text, last - 16, v.mantissa).ptr;
  *p++ = 'e';
  p = std::to_chars(p, last, v.exponent).ptr;
  double back = 0.0;
  std::from_chars(text, p, back);
  return numeric::to_single(back);
}

}  // namespace

void round_as_written(std::span<const double> exact, std::span<float> written) {
  double sum = 0.0;  // of the rounding errors so far
  for (std::size_t i = 0; i < exact.size(); ++i) {
    const double x = exact[i];
    if (!std::isfinite(x) || x == 0.0) {
      written[i] = numeric::to_single(x);
      continue;
    }
    four_digits d = nearest_four_digits(x);
    float r = value_of(d);
    const double e0 = static_cast<double>(r) - x;
    d.mantissa += e0 < 0.0 ? 1 : -1;
    const float other = value_of(d);
    const double e1 = static_cast<double>(other) - x;
    if (std::abs(sum + e1) < std::abs(sum + e0)) {
      r = other;
      sum += e1;
    } else {
      sum += e0;
    }
    written[i] = r;
  }
}

float written_value(float v) {
  if (!std::isfinite(v)) return v;
  char text[32];
  const char* end = std::to_chars(text, text + sizeof text, static_cast<double>(v),
                                  std::chars_format::scientific, 3)
                        .ptr;
  double back = 0.0;
  std::from_chars(text, end, back);
  return back == 0.0 ? 0.0f : numeric::to_single(back);
}

void correction_aim(const grid& g, const long_period_taper& taper, std::span<const float> target,
                    std::span<const float> current, std::span<float> aim) {
  aim[0] = 0.0f;
  for (std::int32_t j = 2; j <= g.nom; ++j) {
    const auto k = static_cast<std::size_t>(j - 1);
    const double w = target_weight(period_of(omega_at(j, g.dom)), taper);
    if (w == 1.0) {
      aim[k] = target[k];
    } else if (w == 0.0) {
      aim[k] = current[k];
    } else {
      const double now = static_cast<double>(current[k]);
      aim[k] = numeric::to_single(now * std::pow(static_cast<double>(target[k]) / now, w));
    }
  }
}

design_result design_fit(std::span<const float> wave, float dt, const design_settings& settings,
                         const std::function<void(const iteration_report&)>& on_iteration) {
  const auto nt = wave.size();
  const grid g = make_grid(static_cast<std::int32_t>(nt), dt,
                           transform_length(static_cast<std::int32_t>(nt)).nf);
  const auto nf = static_cast<std::size_t>(g.nf);
  const auto nom = static_cast<std::size_t>(g.nom);

  design_result r;
  r.g = g;
  r.ampfac = settings.ampfac;
  std::vector<float> ddy(nf, 0.0f), shape(nf), sa(nom), aim(nom);
  std::vector<cplx> fds(nf), fds1(nf);
  std::copy(wave.begin(), wave.end(), ddy.begin());
  forward_coefficients(g, ddy, fds);
  r.target.assign(nom, 0.0f);
  target_spectrum(g, r.target);
  r.eamp.assign(nf, 0.0f);
  envelope(g, settings.corners, r.eamp);
  for (std::size_t i = 0; i < nf; ++i) shape[i] = shaping(r.eamp[i], settings.ampfac);

  response_spectrum spectrum(nf);
  r.input_sa.assign(nom, 0.0f);
  spectrum.compute(ddy, g.nt, g.dt, g.dom, g.nom, r.input_sa);
  std::vector<float> current = r.input_sa;

  std::vector<double> acc(nt);
  rest_work work(nt);
  const fit_state state{fds, fds1, ddy};
  const double step = static_cast<double>(dt);
  for (std::int32_t it = 1; it <= settings.max_iterations; ++it) {
    correction_aim(g, settings.taper, r.target, current, aim);
    correct_and_rebuild(g, settings.ampfac, r.eamp, aim, current, state);
    for (std::size_t i = 0; i < nt; ++i) acc[i] = static_cast<double>(ddy[i]);
    if (settings.rest) remove_drift(acc, shape, work.drift_of(acc, shape, step));
    round_as_written(acc, ddy);
    for (std::size_t i = 0; i < nt; ++i) acc[i] = static_cast<double>(ddy[i]);
    r.last.iteration = it;
    r.last.end = work.end_of(acc, step);
    r.last.pgv = work.pgv();
    r.last.pgd = work.pgd();
    spectrum.compute(ddy, g.nt, g.dt, g.dom, g.nom, sa);
    r.last.measures = criteria_of(g, sa, r.target);
    on_iteration(r.last);
    std::swap(current, sa);
    r.passed = judge(r.last.measures).all() && (!settings.rest || at_rest(r.last.end));
    if (r.passed) break;
  }
  r.wave.assign(ddy.begin(), ddy.begin() + static_cast<std::ptrdiff_t>(nt));
  r.final_sa = std::move(current);
  return r;
}

}  // namespace motion
