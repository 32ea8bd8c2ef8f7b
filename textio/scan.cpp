#include "textio/detail/scan.h"

#include <cstdlib>
#include <limits>

namespace textio::detail {

int char_source::get() {
  if (pushed_ != none) {
    const int c = pushed_;
    pushed_ = none;
    return c;
  }
  if (at_eof_) return eof;
  const int c = next_raw();
  if (c == eof) {
    at_eof_ = true;
    return eof;
  }
  // A CR immediately before the LF belongs to the line end.
  if (c == '\r' && peek_raw() == '\n') return next_raw();
  return c;
}

namespace {

constexpr std::size_t max_digits = 40;
constexpr std::int64_t max_exponent = 99999999;

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}
bool is_blank(int c) {
  return c == ' ' || c == '\t';
}
// Characters that end an unquoted value, and that make "r*" a run of null values.
bool ends_value(int c) {
  return c == char_source::eof || c == ' ' || c == '\t' || c == ',' || c == '/' || c == '\n';
}

struct digit_run {
  std::string raw;  // every digit as typed, for a repeat count
};

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

// A repeat count from the digits before "*": zero, or longer than 40 digits, is refused.
scan_error repeat_of(const std::string& raw, std::int64_t& repeat) {
  if (raw.size() > max_digits) return scan_error::bad_repetition_count;
  std::int64_t r = 0;
  for (char c : raw) {
    r = r * 10 + (c - '0');
    if (r > std::numeric_limits<std::int32_t>::max()) r = std::numeric_limits<std::int32_t>::max();
  }
  if (r == 0) return scan_error::bad_repetition_count;
  repeat = r;
  return scan_error::none;
}

}  // namespace

std::string_view context_of(scan_error e) {
  switch (e) {
    case scan_error::none:
      return "";
    case scan_error::end_of_file:
    case scan_error::late_end_of_file:
      return "list in";
    case scan_error::invalid_number:
      return "invalid number";
    case scan_error::exponent_field:
      return "exponent field";
    case scan_error::bad_repetition_count:
      return "bad repetition count";
    case scan_error::invalid_integer:
    case scan_error::integer_overflow:
      return "invalid integer";
  }
  return "";
}

std::string_view message_of(scan_error e) {
  switch (e) {
    case scan_error::none:
      return "";
    case scan_error::end_of_file:
    case scan_error::late_end_of_file:
      return "end of file";
    case scan_error::invalid_integer:
      return "read unexpected character";
    case scan_error::integer_overflow:
      return "integer overflow";
    default:
      return "incomprehensible list input";
  }
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
      t.error = repeat_of(raw, t.repeat);
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

text_token scan_text(char_source& src, bool allow_repeat) {
  text_token t;
  int c = src.get();
  if (c == '\'' || c == '"') {
    const int mark = c;
    for (;;) {
      c = src.get();
      if (c == char_source::eof) {
        t.ended_by_eof = true;
        return t;
      }
      if (c == mark) {
        const int next = src.get();
        if (next != mark) {
          src.unget(next);
          return t;
        }
      } else if (c == '\n') {
        continue;  // a line end inside the value is dropped
      } else if (c == '\\') {
        const int next = src.get();
        if (next == '\n') {
          c = '\n';
        } else {
          src.unget(next);
        }
      }
      t.value += static_cast<char>(c);
    }
  }
  for (; is_digit(c); c = src.get()) t.value += static_cast<char>(c);
  if (allow_repeat && c == '*' && !t.value.empty()) {
    t.error = repeat_of(t.value, t.repeat);
    if (t.error == scan_error::none) {
      t.value.clear();
      return t;
    }
    // A count of zero is the start of an unquoted value.
    if (t.value.size() > max_digits) {
      src.unget(c);
      return t;
    }
    t.error = scan_error::none;
  }
  for (; !ends_value(c); c = src.get()) t.value += static_cast<char>(c);
  src.unget(c);
  return t;
}

namespace {

// The value last read for a repeat count: served to the targets that follow.
struct repeated {
  std::int64_t left = 0;
  bool null = false;
  bool is_text = false;
  decimal number;
  std::string text;
};

repeated repeat_of_null(std::int64_t left) {
  repeated r;
  r.left = left;
  r.null = true;
  return r;
}

void fill_text(std::span<char> dest, std::string_view v) {
  for (std::size_t i = 0; i < dest.size(); ++i) dest[i] = i < v.size() ? v[i] : ' ';
}

scan_error store_number(const target& t, const decimal& d) {
  switch (t.k) {
    case target::kind::integer:
      return to_int32(d, *t.integer);
    case target::kind::single:
      *t.single = static_cast<float>(to_double(d));
      break;
    case target::kind::real:
      *t.real = to_double(d);
      break;
    case target::kind::text:
      break;
  }
  return scan_error::none;
}

scan_error serve_repeat(const target& t, const repeated& r) {
  if (r.null) return scan_error::none;
  if (t.k == target::kind::text) {
    if (r.is_text) fill_text(t.text, r.text);
    return scan_error::none;
  }
  return r.is_text ? scan_error::none : store_number(t, r.number);
}

// Reads one value into t, or a repeat count followed by its value. The file ending inside
// quoted text ends the whole read (late_end_of_file).
scan_error read_value(char_source& src, const target& t, repeated& rep) {
  std::int64_t count = 0;
  if (t.k == target::kind::text) {
    text_token tok = scan_text(src, true);
    if (tok.error != scan_error::none) return tok.error;
    if (tok.repeat > 0) {
      count = tok.repeat;
      const int c = src.get();
      src.unget(c);
      if (ends_value(c)) {
        rep = repeat_of_null(count - 1);
        return scan_error::none;
      }
      tok = scan_text(src, false);
    }
    if (tok.ended_by_eof) return scan_error::late_end_of_file;
    fill_text(t.text, tok.value);
    if (count > 0) {
      rep = repeat_of_null(count - 1);
      rep.null = false;
      rep.is_text = true;
      rep.text = std::move(tok.value);
    }
    return scan_error::none;
  }
  const bool integer = t.k == target::kind::integer;
  number_token tok = scan_number(src, integer, true);
  if (tok.error != scan_error::none) return tok.error;
  if (tok.repeat > 0) {
    count = tok.repeat;
    const int c = src.get();
    src.unget(c);
    if (ends_value(c)) {
      rep = repeat_of_null(count - 1);
      return scan_error::none;
    }
    tok = scan_number(src, integer, false);
    if (tok.error != scan_error::none) return tok.error;
  }
  if (const scan_error e = store_number(t, tok.value); e != scan_error::none) return e;
  if (count > 0) {
    rep = repeat_of_null(count - 1);
    rep.null = false;
    rep.number = std::move(tok.value);
  }
  return scan_error::none;
}

// Discards the rest of the record up to and including its line end.
scan_error discard_record(char_source& src) {
  // The end of file met with the last value read makes no late end of file.
  if (src.at_eof()) return scan_error::none;
  for (;;) {
    const int c = src.get();
    if (c == '\n') return scan_error::none;
    if (c == char_source::eof) return scan_error::late_end_of_file;
  }
}

}  // namespace

scan_error read_list(char_source& src, std::span<const target> targets) {
  repeated rep;
  for (const target& t : targets) {
    if (rep.left > 0) {
      --rep.left;
      if (const scan_error e = serve_repeat(t, rep); e != scan_error::none) return e;
      continue;
    }
    int c = src.get();
    while (is_blank(c) || c == '\n') c = src.get();
    if (c == char_source::eof) return scan_error::end_of_file;
    if (c == '/') break;     // this target and all later ones keep their values
    if (c == ',') continue;  // a null value
    src.unget(c);
    if (const scan_error e = read_value(src, t, rep); e != scan_error::none) return e;
    c = src.get();
    while (is_blank(c)) c = src.get();
    if (c != ',') src.unget(c);
  }
  return discard_record(src);
}

scan_error read_field(char_source& src, std::span<char> text) {
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const int c = src.get();
    if (c == char_source::eof) return scan_error::end_of_file;
    if (c == '\n') break;
    text[i] = static_cast<char>(c);
  }
  const bool line_ended = i < text.size();
  for (; i < text.size(); ++i) text[i] = ' ';
  if (!line_ended) {
    // The characters past the width go with the rest of the record.
    for (int c = src.get(); c != '\n' && c != char_source::eof; c = src.get()) {
    }
  }
  return scan_error::none;
}

}  // namespace textio::detail
