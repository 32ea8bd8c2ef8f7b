// The number scanner and the decimal conversion: a number or a repeat count as typed, then the
// nearest double or the 32-bit integer of the decimal value read.
#include <cstdlib>
#include <limits>
#include <string>

#include "textio/detail/scan.h"
#include "textio/detail/scan_chars.h"

namespace textio::detail {
namespace {

constexpr std::int64_t max_exponent = 99999999;

// Adds one mantissa digit: leading zeros are not counted, and past 40 significant digits a
// digit before the point only scales the value while one after it is dropped.
void add_digit(decimal& d, int c, bool after_point) {
  if (d.digits.empty() && c == '0') {
    if (after_point) --d.exponent;
    return;
  }
  if (d.digits.size() < max_digits) {
    d.digits += static_cast<char>(c);
    if (after_point) --d.exponent;
  } else if (!after_point) {
    ++d.exponent;
  }
}

}  // namespace

scan_error repeat_count(std::string_view digits, std::int64_t& repeat) {
  if (digits.size() > max_digits) return scan_error::bad_repetition_count;
  std::int64_t r = 0;
  for (char c : digits) {
    r = r * 10 + (c - '0');
    if (r > std::numeric_limits<std::int32_t>::max()) r = std::numeric_limits<std::int32_t>::max();
  }
  if (r == 0) return scan_error::bad_repetition_count;
  repeat = r;
  return scan_error::none;
}

double to_double(const decimal& d) {
  if (d.digits.empty()) return d.negative ? -0.0 : 0.0;
  // Beyond this the value is 0 or infinity whatever the 40 digits are.
  std::int64_t e = d.exponent;
  if (e > 100000) e = 100000;
  if (e < -100000) e = -100000;
  const std::string text = d.digits + "e" + std::to_string(e);
  const double v = std::strtod(text.c_str(), nullptr);
  return d.negative ? -v : v;
}

scan_error to_int32(const decimal& d, std::int32_t& out) {
  std::int64_t v = 0;
  if (!d.digits.empty()) {
    const auto n = static_cast<std::int64_t>(d.digits.size());
    const std::int64_t integer_digits = n + d.exponent;  // digits before the point
    if (integer_digits > 10) return scan_error::integer_overflow;
    for (std::int64_t i = 0; i < integer_digits; ++i)
      v = v * 10 + (i < n ? d.digits[static_cast<std::size_t>(i)] - '0' : 0);
  }
  if (d.negative) v = -v;
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    return scan_error::integer_overflow;
  out = static_cast<std::int32_t>(v);
  return scan_error::none;
}

number_token scan_number(char_source& src, bool integer_target, bool allow_repeat) {
  number_token t;
  decimal& d = t.value;
  int c = src.get();
  const bool has_sign = c == '+' || c == '-';
  if (has_sign) {
    d.negative = c == '-';
    c = src.get();
  }
  std::string raw;
  for (; is_digit(c); c = src.get()) {
    raw += static_cast<char>(c);
    add_digit(d, c, false);
  }
  if (allow_repeat && c == '*' && !raw.empty()) {
    if (has_sign) {
      t.error = scan_error::bad_repetition_count;
    } else {
      t.error = repeat_count(raw, t.repeat);
    }
    if (t.error != scan_error::none) src.unget(c);
    return t;
  }
  std::size_t ndigits = raw.size();
  if (c == '.') {
    if (integer_target) {
      src.unget(c);
      t.error = scan_error::invalid_integer;
      return t;
    }
    for (c = src.get(); is_digit(c); c = src.get()) {
      add_digit(d, c, true);
      ++ndigits;
    }
  }
  if (ndigits == 0) {
    src.unget(c);
    t.error = scan_error::invalid_number;
    return t;
  }
  const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd';
  if (letter && integer_target) {
    src.unget(c);
    t.error = scan_error::invalid_integer;
    return t;
  }
  if (letter || c == '+' || c == '-') {
    bool negative_exponent = c == '-';
    if (letter) {
      c = src.get();
      if (c == '+' || c == '-') {
        negative_exponent = c == '-';
        c = src.get();
      }
    } else {
      c = src.get();
    }
    if (!is_digit(c)) {
      src.unget(c);
      t.error = scan_error::exponent_field;
      return t;
    }
    std::int64_t e = 0;
    for (; is_digit(c); c = src.get()) {
      e = e * 10 + (c - '0');
      if (e > max_exponent) e = max_exponent + 1;
    }
    if (e > max_exponent) {
      src.unget(c);
      t.error = scan_error::exponent_field;
      return t;
    }
    d.exponent += negative_exponent ? -e : e;
  }
  src.unget(c);
  return t;
}

}  // namespace textio::detail

namespace textio {

scanned_number scan_real(std::string_view text) {
  detail::string_source src(text);
  const detail::number_token t = detail::scan_number(src, false, false);
  scanned_number r;
  r.next = src.pos();
  // The source reads CR LF as one LF: the number stopped at the CR.
  if (r.next > 0 && r.next < text.size() && text[r.next] == '\n' && text[r.next - 1] == '\r')
    --r.next;
  if (t.error == detail::scan_error::none) {
    r.value = detail::to_double(t.value);
  } else {
    r.error = t.error == detail::scan_error::exponent_field ? number_error::exponent_field
                                                            : number_error::invalid_number;
  }
  return r;
}

}  // namespace textio
