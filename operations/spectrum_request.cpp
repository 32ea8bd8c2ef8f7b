#include "operations/spectrum_request.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "operations/option_numbers.h"
#include "operations/spectrum_keys.h"
#include "operations/wave_file.h"
#include "waveio/sa_table.h"
#include "waveio/text_fields.h"

namespace wavetool {
namespace {

using motion::spectrum_kind;

// One check after the other, each leaving its message in error; the first failure wins.
class reader {
 public:
  reader(const spectrum_keys& keys, std::string_view prefix) : keys_(keys), prefix_(prefix) {}

  const std::string* text(std::string_view key) const {
    const auto it = keys_.find(std::string(key));
    return it == keys_.end() ? nullptr : &it->second;
  }
  bool fail(std::string_view key, const std::string& message) {
    if (error.empty()) error = prefix_ + std::string(key) + ": " + message;
    return false;
  }
  bool require(std::string_view key, std::string_view spectrum) {
    return text(key) || fail(key, "required by the " + std::string(spectrum) + " spectrum");
  }
  // A number lo < x (<= or <) hi when the key is given; x keeps its default otherwise.
  bool number(std::string_view key, double& x, double lo, double hi, bool hi_included,
              const std::string& range) {
    const std::string* t = text(key);
    if (!t) return true;
    const auto v = parse_real(*t);
    if (!v) return fail(key, "expected a number, found \"" + *t + "\"");
    if (!(*v > lo) || !(hi_included ? *v <= hi : *v < hi))
      return fail(key, "expected " + range + ", found " + *t);
    x = *v;
    return true;
  }
  // One of the words of set when the key is given (told as expected, or as the list of words);
  // the index of the word, or -1.
  int word(std::string_view key, const std::vector<std::string>& set,
           std::string_view expected = {}) {
    const std::string* t = text(key);
    if (!t) return -1;
    const auto at = std::ranges::find(set, *t);
    if (at != set.end()) return static_cast<int>(at - set.begin());
    fail(key, "expected " + (expected.empty() ? waveio::choice_list(set) : std::string(expected)) +
                  ", found \"" + *t + "\"");
    return -1;
  }

  std::string error;

 private:
  const spectrum_keys& keys_;
  std::string prefix_;
};

constexpr double inf = HUGE_VAL;

bool read_window(reader& in, spectrum_request& r) {
  const std::string* t = in.text("window");
  if (!t) return true;
  const auto w = parse_reals(*t);
  if (!w || w->size() != 2 || !(0.0 < (*w)[0] && (*w)[0] < (*w)[1]))
    return in.fail("window", "expected TMIN,TMAX (s) with 0 < TMIN < TMAX, found \"" + *t + "\"");
  r.window_min = (*w)[0];
  r.window_max = (*w)[1];
  return true;
}

bool read_kind_keys(reader& in, spectrum_request& r) {
  motion::design_spectrum& s = r.spectrum;
  const char* name = motion::kind_name(s.kind);
  switch (s.kind) {
    case spectrum_kind::surface:
      if (!in.require("soil", name)) return false;
      s.soil = 1 + in.word("soil", word_list(soil_words));
      [[fallthrough]];
    case spectrum_kind::bedrock:
      if (const int level = in.word("level", word_list(level_words)); level > 0)
        s.level = static_cast<motion::spectrum_level>(level);
      return in.number("zone", s.zone, 0.0, motion::zone_max, true, zone_range());
    case spectrum_kind::ec8: {
      if (!in.require("ec8-type", name) || !in.require("ground", name) || !in.require("ag", name))
        return false;
      s.ec8_type = 1 + in.word("ec8-type", word_list(ec8_type_words));
      s.ground = static_cast<char>('A' + in.word("ground", word_list(ground_words), "A to E"));
      return in.number("ag", s.ag, 0.0, inf, false, "ag above 0 (g)");
    }
    case spectrum_kind::asce7:
      if (!in.require("sds", name) || !in.require("sd1", name) || !in.require("tl", name))
        return false;
      if (!in.number("sds", s.sds, 0.0, inf, false, "SDS above 0 (g)") ||
          !in.number("sd1", s.sd1, 0.0, inf, false, "SD1 above 0 (g)") ||
          !in.number("tl", s.tl, 0.0, inf, false, "TL above 0 (s)"))
        return false;
      if (!(s.tl > s.sd1 / s.sds))
        return in.fail("tl", "expected TL above TS = SD1/SDS, found " + *in.text("tl"));
      if (s.damping != motion::default_damping)
        return in.fail("damping", "the asce7 spectrum is defined at " +
                                      waveio::short_text(motion::default_damping) + " only");
      return true;
    case spectrum_kind::table:
      if (!in.require("table", name)) return false;
      r.table_file = *in.text("table");
      s.table_name = r.table_file;
      return true;
  }
  return true;
}

// The criteria compare the spectrum in single precision: a level whose Sa lies outside what a
// float holds as a normal number (zone 1e-40, sds 1e-300) would make every ratio infinite or
// undefined, so it is refused, naming the key that sets the level there. Spectra rise, stay
// and fall, so periods spread over the judged ones find any such value.
bool level_in_single_precision(reader& in, const spectrum_request& r) {
  const motion::design_spectrum& s = r.spectrum;
  if (s.kind == spectrum_kind::table) return true;
  const double lo = std::min(r.window_min, static_cast<double>(motion::sum_window.shortest));
  const double hi = std::max(r.window_max, static_cast<double>(motion::sum_window.longest));
  constexpr int points = 64;
  for (int k = 0; k <= points; ++k) {
    const double t = lo * std::pow(hi / lo, static_cast<double>(k) / points);
    const double sa = motion::spectral_acceleration(s, t);
    const auto single = static_cast<float>(sa);
    if (std::isnormal(single) && single > 0.0f) continue;
    const char* key = s.kind == spectrum_kind::ec8     ? "ag"
                      : s.kind != spectrum_kind::asce7 ? "zone"
                      : t <= s.sd1 / s.sds             ? "sds"
                                                       : "sd1";
    return in.fail(key, "gives Sa " + waveio::short_text(sa) + " gal at " + waveio::short_text(t) +
                            " s, outside single precision (1.2e-38 to 3.4e38 gal), in which "
                            "the criteria are computed");
  }
  return true;
}

}  // namespace

spectrum_choice spectrum_from_keys(const spectrum_keys& keys, std::string_view prefix) {
  spectrum_choice c;
  reader in(keys, prefix);
  const int k = keys.contains("spectrum") ? in.word("spectrum", kind_names(spectrum_kinds)) : 0;
  if (k < 0) return {{}, in.error};
  motion::design_spectrum& s = c.request.spectrum;
  s.kind = spectrum_kinds[static_cast<std::size_t>(k)];
  for (const auto& [name, value] : keys) {
    const auto& table = spectrum_key_table();
    const auto key = std::ranges::find(table, name, &spectrum_key::name);
    if (key != table.end() && takes(*key, s.kind)) continue;
    in.fail(name, key != table.end() ? std::string("not an option of the ") +
                                           motion::kind_name(s.kind) + " spectrum"
                                     : "not an option of any spectrum");
    return {{}, in.error};
  }
  if (in.number("damping", s.damping, 0.0, 1.0, false, damping_range()) &&
      read_window(in, c.request) && read_kind_keys(in, c.request))
    level_in_single_precision(in, c.request);
  c.error = in.error;
  return c;
}

std::optional<files::file_error> load_table(spectrum_request& r) {
  if (r.spectrum.kind != spectrum_kind::table) return std::nullopt;
  files::file_error e;
  const std::optional<std::string> text = files::read_text(r.table_file, e);
  if (!text) return e;
  waveio::sa_table_result t = waveio::parse_sa_table(*text, r.table_file);
  if (!t.ok()) return t.error;
  r.spectrum.periods = std::move(t.table.periods);
  r.spectrum.sa = std::move(t.table.sa);
  return std::nullopt;
}

std::optional<files::file_error> uncovered_criteria(const spectrum_request& r) {
  const double lo = std::min(r.window_min, static_cast<double>(motion::sum_window.shortest));
  const double hi = std::max(r.window_max, static_cast<double>(motion::sum_window.longest));
  if (motion::covers(r.spectrum, lo) && motion::covers(r.spectrum, hi)) return std::nullopt;
  return files::file_error{r.table_file, 0,
                           table_periods_text(r.spectrum) + " do not reach the criteria's " +
                               waveio::short_text(lo) + " to " + waveio::short_text(hi) + " s" +
                               std::string(never_extrapolated)};
}

std::string table_periods_text(const motion::design_spectrum& s) {
  return "the table's periods " + waveio::short_text(s.periods.front()) + " to " +
         waveio::short_text(s.periods.back()) + " s";
}

std::vector<double> window_periods(double tmin, double tmax, std::size_t n) {
  std::vector<double> t(n);
  const double step = std::log(tmax / tmin) / static_cast<double>(n - 1);
  for (std::size_t i = 0; i < t.size(); ++i) t[i] = tmin * std::exp(static_cast<double>(i) * step);
  t.front() = tmin;
  t.back() = tmax;
  return t;
}

motion::period_window criteria_window(const spectrum_request& r) {
  return {static_cast<float>(r.window_min), static_cast<float>(r.window_max)};
}

}  // namespace wavetool
