#include "motion/design_fit.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "motion/correction_limits.h"
#include "motion/empty_band.h"
#include "motion/peak_control.h"
#include "motion/prepared_fit.h"
#include "motion/response_spectrum.h"
#include "motion/spectra_table.h"

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

// A value of the written digits (four for E12.4): mantissa (10^(d-1) <= |m| < 10^d) times
// 10^exponent.
constexpr std::int32_t digits = written_digits;
constexpr double mantissa_end = [] {
  double p = 1.0;
  for (int k = 0; k < digits; ++k) p *= 10.0;
  return p;
}();  // 10^d: 10000 for four digits
constexpr double mantissa_start = mantissa_end / 10.0;

struct written_value {
  double mantissa = 0.0;
  std::int32_t exponent = 0;
};

// The powers of ten that are exact in double.
constexpr std::array<double, 23> tens{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool exact_power(std::int32_t k) {
  return k >= -22 && k <= 22;
}

// m*10^k correctly rounded to double (m and 10^|k| exact, one rounding), as a reader's strtod
// gives it, then rounded to single precision as the reader stores it.
float value_of(const written_value& v) {
  const std::int32_t k = v.exponent;
  if (exact_power(k)) {
    const double p = tens[static_cast<std::size_t>(k < 0 ? -k : k)];
    return numeric::to_single(k < 0 ? v.mantissa / p : v.mantissa * p);
  }
  char text[48];
  char* const last = text + sizeof text;
  char* p = std::to_chars(text, last - 16, static_cast<std::int64_t>(v.mantissa)).ptr;
  *p++ = 'e';
  p = std::to_chars(p, last, k).ptr;
  double back = 0.0;
  std::from_chars(text, p, back);
  return numeric::to_single(back);
}

// The written value nearest to x, or next to it (the choice between the two is made on the
// exact errors, so the scaling here may be off in the last bit).
written_value near_written(double x) {
  auto e = static_cast<std::int32_t>(std::floor(std::log10(std::abs(x))));
  const auto scaled = [x](std::int32_t q) {
    if (exact_power(q)) {
      const double p = tens[static_cast<std::size_t>(q < 0 ? -q : q)];
      return q < 0 ? x / p : x * p;
    }
    return x * std::pow(10.0, static_cast<double>(q));
  };
  double m = std::nearbyint(scaled(digits - 1 - e));
  if (std::abs(m) >= mantissa_end) m = std::nearbyint(scaled(digits - 1 - ++e));
  return {m, e - (digits - 1)};
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
    written_value d = near_written(x);
    float r = value_of(d);
    const double e0 = static_cast<double>(r) - x;
    const double toward = e0 < 0.0 ? 1.0 : -1.0;
    if (d.mantissa == -mantissa_start * toward) {
      // the value below 1.000E+k is 9.999E+(k-1)
      d = {(mantissa_end - 1.0) * -toward, d.exponent - 1};
    } else {
      d.mantissa += toward;
    }
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

void correction_aim(const grid& g, const long_period_taper& taper, std::span<const float> target,
                    std::span<const float> input, std::span<const float> current,
                    std::span<float> aim) {
  aim[0] = 0.0f;
  for (std::int32_t j = 2; j <= g.nom; ++j) {
    const auto k = static_cast<std::size_t>(j - 1);
    const double w = target_weight(period_of(omega_at(j, g.dom)), taper);
    const float own = std::min(input[k], current[k]);
    if (w == 1.0) {
      aim[k] = target[k];
    } else if (w == 0.0) {
      aim[k] = own;
    } else {
      const double base = static_cast<double>(own);
      aim[k] = numeric::to_single(base * std::pow(static_cast<double>(target[k]) / base, w));
    }
  }
}

double plausible_pgd(const design_spectrum& s, const displacement_tuning& limit) {
  const double period = limit.level_period;
  if (!covers(s, period)) return limit.bedrock_limit;
  const double ratio = spectral_acceleration(s, period) / spectral_acceleration({}, period);
  return limit.bedrock_limit * std::max(1.0, ratio);
}

std::vector<failed_check> failed_checks(const iteration_report& x,
                                        const design_settings& settings) {
  std::vector<failed_check> failed;
  for (std::size_t k = 0; k < criteria_count; ++k) {
    const criterion_rule& rule = criteria_rules[k];
    const float value = measure(x.measures, k);
    if (meets(rule, value)) continue;
    const double ratio = static_cast<double>(value) / static_cast<double>(rule.limit);
    failed.push_back({fit_check::criterion, k,
                      rule.compare == comparison::at_least ? 1.0 - ratio : ratio - 1.0});
  }
  if (!settings.rest) return failed;
  if (!at_rest(x.end)) {
    failed.push_back({fit_check::rest, 0,
                      std::max(std::abs(x.end.velocity) / rest_velocity_limit,
                               std::abs(x.end.displacement) / rest_displacement_limit) -
                          1.0});
  }
  if (settings.tuning.displacement.on && !(x.pgd <= settings.max_pgd)) {
    failed.push_back({fit_check::displacement, 0, x.pgd / settings.max_pgd - 1.0});
  }
  return failed;
}

fit_shortfall shortfall_of(const iteration_report& x, const design_settings& settings) {
  return shortfall_of(failed_checks(x, settings));
}

fit_shortfall shortfall_of(std::span<const failed_check> failed) {
  fit_shortfall f;
  for (const failed_check& c : failed) {
    ++f.failed;
    f.worst = std::max(f.worst, c.violation);
  }
  if (!std::isfinite(f.worst)) f.worst = std::numeric_limits<double>::infinity();
  return f;
}

design_result design_fit(std::span<const float> wave, float dt, const design_settings& settings,
                         const std::function<void(const iteration_report&)>& on_iteration) {
  const auto nt = wave.size();
  design_result r;
  prepared_fit p = prepare_fit(wave, dt, settings.corners, settings.damping, settings.judged);
  r.reason = p.reason;
  // Outside the waves that can be fitted there is nothing to iterate on.
  if (p.reason != unfit_reason::none) return r;
  const grid g = p.g;
  const auto nf = static_cast<std::size_t>(g.nf);
  const auto nom = static_cast<std::size_t>(g.nom);

  if (!settings.target.empty() && settings.target.size() != nom) return r;  // another grid's

  r.g = g;
  r.ampfac = settings.ampfac;
  std::vector<float> ddy = std::move(p.ddy), shape(nf), sa(nom), aim(nom);
  std::vector<cplx> fds = std::move(p.fds), fds1(nf);
  r.target = settings.target.empty() ? std::move(p.target) : settings.target;
  r.eamp = std::move(p.eamp);
  for (std::size_t i = 0; i < nf; ++i) shape[i] = shaping(r.eamp[i], settings.ampfac);
  r.input_sa = std::move(p.input_sa);
  response_spectrum spectrum(nf, settings.threads, settings.damping);
  std::vector<float> current = r.input_sa;

  std::vector<double> acc(nt);
  rest_work work(nt);
  const fit_state state{fds, fds1, ddy};
  const double step = static_cast<double>(dt);
  const fit_tuning& tuning = settings.tuning;
  if (tuning.lacking_band.on) {
    fill_empty_band(
        g, lacking_band(g, fds, settings.recorded_step, settings.judged, tuning.lacking_band), fds);
  }
  correction_control control(g, tuning, settings.judged);
  peak_control peaks(g, r.target, settings.judged, tuning);
  const long_period_taper taper = taper_for(settings.judged.longest, tuning.fade);
  const std::span<float> wave_now(ddy.data(), nt);
  peaks.measure(current, wave);
  fit_shortfall best;
  std::int32_t stale = 0;  // iterations since the best one
  for (std::int32_t it = 1; it <= settings.max_iterations; ++it) {
    correction_aim(g, taper, r.target, r.input_sa, current, aim);
    control.limit(aim, current);
    correct_and_rebuild(g, settings.ampfac, r.eamp, aim, current, state);
    peaks.hold(wave_now, shape, fds);
    for (std::size_t i = 0; i < nt; ++i) acc[i] = static_cast<double>(ddy[i]);
    if (settings.rest) remove_drift(acc, shape, work.drift_of(acc, shape, step));
    round_as_written(acc, ddy);
    for (std::size_t i = 0; i < nt; ++i) acc[i] = static_cast<double>(ddy[i]);
    r.last.iteration = it;
    r.last.end = work.end_of(acc, step);
    r.last.pgv = work.pgv();
    r.last.pgd = work.pgd();
    spectrum.compute(ddy, g.nt, g.dt, g.dom, g.nom, sa);
    r.last.measures = criteria_of(g, sa, r.target, settings.judged);
    peaks.measure(sa, wave_now);
    control.note_sum(r.last.measures.cr2);
    on_iteration(r.last);
    std::swap(current, sa);
    std::vector<failed_check> failed = failed_checks(r.last, settings);
    const fit_shortfall now = shortfall_of(failed);
    if (it == 1 || now.better_than(best)) {
      best = now;
      stale = 0;
      r.kept = r.last;
      r.failed = std::move(failed);
      r.wave.assign(ddy.begin(), ddy.begin() + static_cast<std::ptrdiff_t>(nt));
      r.final_sa = current;
    } else if (++stale >= settings.patience) {
      r.stopped_early = true;
      break;
    }
    r.passed = best.failed == 0;
    if (r.passed) break;
  }
  return r;
}

}  // namespace motion
