// Fuzzes the edit-pattern writer: a pattern of literal texts, blanks and I, F and E fields of
// random widths is built from the input, then walked over random values (every double and every
// widened float, NaN and infinities included). Every field must be exactly its width, either
// asterisks or a right-justified rendering of its value to the stated digits, and the record
// holds nothing but the pattern's texts, the blanks before them and the fields.
#include <fuzzer/FuzzedDataProvider.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "record_collector.h"
#include "textio/detail/pattern.h"
#include "textio/detail/render.h"

namespace {

using textio::value;

void check(bool ok, const char* what, std::string_view field = {}) {
  if (!ok) {
    std::fprintf(stderr, "property violated: %s [%.*s]\n", what, static_cast<int>(field.size()),
                 field.data());
    std::abort();
  }
}

struct descriptor {
  char kind;  // 'T' text, 'X' blanks, 'I', 'F', 'E'
  int w = 0, d = 0;
  std::string text;  // as it must appear in the record
};

double random_real(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0: {
      const auto bits = in.ConsumeIntegral<std::uint64_t>();
      double v;
      std::memcpy(&v, &bits, sizeof v);
      return v;
    }
    case 1: {
      const auto bits = in.ConsumeIntegral<std::uint32_t>();
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return static_cast<double>(f);
    }
    default:
      // Values near the rounding boundaries of four decimals and four digits.
      return static_cast<double>(in.ConsumeIntegralInRange<std::int32_t>(-2000000, 2000000)) *
             std::pow(10.0, in.ConsumeIntegralInRange(-12, 6)) / 2.0;
  }
}

std::string_view trimmed(std::string_view f) {
  return f.substr(std::min(f.find_first_not_of(' '), f.size()));
}

bool all_asterisks(std::string_view f) {
  return f.find_first_not_of('*') == std::string_view::npos;
}

void check_i(std::string_view f, const value& v) {
  if (!v.is_integer) return;  // the programs give I fields integers only
  const std::string digits = std::to_string(v.integer);
  if (digits.size() > f.size()) {
    check(all_asterisks(f), "I field too narrow but not asterisks", f);
    return;
  }
  check(trimmed(f) == digits, "I field does not show the value", f);
}

void check_f(std::string_view f, double v, int d) {
  if (!std::isfinite(v) || all_asterisks(f)) {
    if (std::isfinite(v)) {
      // Asterisks only when even the shortest form (no "0" before the point) cannot fit.
      char buf[400];
      const int n = std::snprintf(buf, sizeof buf, "%.*f", d, std::fabs(v));
      const bool nonzero = std::strpbrk(buf, "123456789") != nullptr;
      const bool minus = v < 0 && nonzero;
      const int need = n + (d == 0 ? 1 : 0) + (minus ? 1 : 0) - (buf[0] == '0' && !minus ? 1 : 0);
      check(need > static_cast<int>(f.size()), "F field in asterisks although it fits", f);
    }
    return;
  }
  const std::string t(trimmed(f));
  check(t.find(' ') == std::string::npos, "F field not right-justified", f);
  const std::size_t point = t.find('.');
  check(point != std::string::npos && t.size() - point - 1 == static_cast<std::size_t>(d),
        "F field without its decimals", f);
  const double shown = std::strtod(t.c_str(), nullptr);
  const double tol = 0.5 * std::pow(10.0, -d) * (1 + 1e-9) + std::fabs(v) * 1e-15;
  check(std::fabs(shown - v) <= tol, "F field does not round the value", f);
  check(!(t[0] == '-' && shown == 0), "F field shows a minus sign on zero", f);
}

void check_e(std::string_view f, double v, int d) {
  const int w = static_cast<int>(f.size());
  if (!std::isfinite(v) || d < 1) return;
  const bool neg = v < 0;
  if (w < d + 5 + (neg ? 1 : 0)) {
    check(all_asterisks(f), "E field too narrow but not asterisks", f);
    return;
  }
  std::string_view t = trimmed(f);
  check(
      !(w >= d + 6 + (neg ? 1 : 0) && t.size() != static_cast<std::size_t>(d + 6 + (neg ? 1 : 0))),
      "E field without its leading 0", f);
  if (neg) {
    check(!t.empty() && t[0] == '-', "E field of a negative value without its minus", f);
    t.remove_prefix(1);
  }
  if (!t.empty() && t[0] == '0') t.remove_prefix(1);
  check(t.size() == static_cast<std::size_t>(d + 5) && t[0] == '.', "E field malformed", f);
  const std::string digits(t.substr(1, static_cast<std::size_t>(d)));
  std::string_view ex = t.substr(static_cast<std::size_t>(d) + 1);
  // "E+xx", or the sign and three digits in place of the letter.
  const bool letter = ex[0] == 'E';
  if (letter) ex.remove_prefix(1);
  check(ex.size() == (letter ? 3u : 4u) && (ex[0] == '+' || ex[0] == '-'),
        "E field exponent malformed", f);
  int e = 0;
  std::from_chars(ex.data() + 1, ex.data() + ex.size(), e);
  if (ex[0] == '-') e = -e;
  if (v == 0) {
    check(digits == std::string(static_cast<std::size_t>(d), '0') && ex == "+00", "E field of zero",
          f);
    return;
  }
  check(digits[0] != '0', "E field with a leading zero digit", f);
  // In long double: a value rounded up past the largest double still has a finite reading.
  const long double shown =
      std::strtold(("0." + digits + "e" + std::to_string(e)).c_str(), nullptr);
  const long double ulp_half = 0.5L * std::pow(10.0L, e - d);
  const long double mag = std::fabs(static_cast<long double>(v));
  check(std::fabs(shown - mag) <= ulp_half * (1 + 1e-9L) + mag * 1e-17L,
        "E field does not round the value", f);
}

// A free-form real: a blank, a sign place and "%.9G" with a point and three exponent digits.
void check_free_real(double v) {
  std::string out;
  textio::detail::append_free_real(out, v);
  if (!std::isfinite(v)) return;
  if (v == 0) {
    check(out == "  0.", "free-form zero", out);
    return;
  }
  check(out.size() > 2 && out[0] == ' ' && out[1] == (v < 0 ? '-' : ' '), "free-form sign", out);
  const std::string t = out.substr(2);
  char want[48];
  std::snprintf(want, sizeof want, "%.9G", std::fabs(v));
  check(std::strtod(t.c_str(), nullptr) == std::strtod(want, nullptr), "free-form value", out);
  const std::size_t e = t.find('E');
  check(t.find('.') < e, "free-form real without its point", out);
  if (e != std::string::npos) check(t.size() - e >= 5, "free-form exponent of two digits", out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  std::vector<descriptor> ds(in.ConsumeIntegralInRange<std::size_t>(1, 8));
  std::string pattern = "(";
  int fields = 0;
  for (descriptor& d : ds) {
    if (pattern.size() > 1) pattern += ',';
    switch (in.ConsumeIntegralInRange(0, 4)) {
      case 0:
        d.kind = 'T';
        d.text = in.ConsumeRandomLengthString(12);
        // Apostrophes are doubled inside the literal; a line end cannot be part of a record.
        std::erase(d.text, '\n');
        pattern += '\'';
        for (char c : d.text) pattern += c == '\'' ? std::string("''") : std::string(1, c);
        pattern += '\'';
        break;
      case 1:
        d.kind = 'X';
        d.w = in.ConsumeIntegralInRange(1, 6);
        pattern += std::to_string(d.w) + "X";
        break;
      default:
        d.kind = "IFE"[in.ConsumeIntegralInRange(0, 2)];
        d.w = in.ConsumeIntegralInRange(1, 30);
        d.d = in.ConsumeIntegralInRange(0, d.kind == 'I' ? 0 : 14);
        pattern += d.kind + std::to_string(d.w);
        if (d.kind != 'I') pattern += "." + std::to_string(d.d);
        ++fields;
    }
  }
  pattern += ')';

  std::vector<value> values;
  const int nvalues = in.ConsumeIntegralInRange(0, fields);
  for (int k = 0; k < nvalues; ++k) {
    if (in.ConsumeBool()) {
      values.emplace_back(in.ConsumeIntegral<std::int32_t>());
    } else {
      values.emplace_back(random_real(in));
    }
  }

  const auto parsed = textio::detail::parse_pattern(pattern);
  check(parsed.ok, "pattern refused", pattern);
  testsupport::record_collector out;
  textio::detail::walk_pattern(parsed, values, out);
  check(out.records.size() == 1, "not exactly one record", pattern);
  const std::string_view rec = out.records[0];

  // Walk the descriptors alongside: texts must match, every field sits in exactly w columns.
  std::size_t at = 0, pending = 0, next = 0;
  for (const descriptor& d : ds) {
    if (d.kind == 'X') {
      pending += static_cast<std::size_t>(d.w);
      continue;
    }
    if (d.kind != 'T' && next == values.size()) break;
    check(rec.substr(at, pending) == std::string(pending, ' '), "blanks owed by X", rec);
    at += pending;
    pending = 0;
    if (d.kind == 'T') {
      check(rec.substr(at, d.text.size()) == d.text, "literal text", rec);
      at += d.text.size();
      continue;
    }
    check(at + static_cast<std::size_t>(d.w) <= rec.size(), "record shorter than its fields", rec);
    const std::string_view f = rec.substr(at, static_cast<std::size_t>(d.w));
    const value& v = values[next++];
    const double r = v.is_integer ? static_cast<double>(v.integer) : v.real;
    if (d.kind == 'I') check_i(f, v);
    if (d.kind == 'F') check_f(f, r, d.d);
    if (d.kind == 'E') check_e(f, r, d.d);
    check(all_asterisks(f) || f.back() != ' ', "field not right-justified", f);
    at += static_cast<std::size_t>(d.w);
  }
  check(at == rec.size(), "record longer than its texts and fields", rec);
  for (const value& v : values) {
    if (!v.is_integer) check_free_real(v.real);
  }
  return 0;
}
