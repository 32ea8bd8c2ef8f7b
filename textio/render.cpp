#include "textio/detail/render.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

namespace textio::detail {
namespace {

void pad_to(std::string& out, std::string_view text, int w) {
  const auto width = static_cast<std::size_t>(w < 0 ? 0 : w);
  if (text.size() > width) {
    out.append(width, '*');
    return;
  }
  out.append(width - text.size(), ' ');
  out += text;
}

// NaN and the infinities in a field: the long form, else "Inf", else asterisks.
void append_nonfinite_field(std::string& out, double v, int w) {
  if (std::isnan(v)) {
    pad_to(out, "NaN", w);
    return;
  }
  const bool neg = v < 0;
  std::string_view text = neg ? "-Infinity" : "Infinity";
  if (static_cast<int>(text.size()) > w) text = neg ? "-Inf" : "Inf";
  pad_to(out, text, w);
}

// snprintf into a string sized for the result (F fields of huge values run to 300+ digits).
std::string format_magnitude(const char* fmt, int precision, double v) {
  const int n = std::snprintf(nullptr, 0, fmt, precision, v);
  std::string s(static_cast<std::size_t>(n) + 1, '\0');
  std::snprintf(s.data(), s.size(), fmt, precision, v);
  s.resize(static_cast<std::size_t>(n));
  return s;
}

}  // namespace

void append_free_real(std::string& out, double v) {
  out += ' ';
  // NaN keeps the sign place, like every other real: "  NaN".
  if (std::isnan(v)) {
    out += " NaN";
    return;
  }
  if (std::isinf(v)) {
    out += v < 0 ? "-Infinity" : " Infinity";
    return;
  }
  if (v == 0) {
    out += " 0.";
    return;
  }
  out += v < 0 ? '-' : ' ';
  char buf[48];
  const int n = std::snprintf(buf, sizeof buf, "%.9G", std::fabs(v));
  const std::string_view s(buf, static_cast<std::size_t>(n));
  const std::size_t epos = s.find('E');
  const std::string_view mantissa = s.substr(0, epos);
  out += mantissa;
  if (mantissa.find('.') == std::string_view::npos) out += '.';
  if (epos == std::string_view::npos) return;
  // "E-05" becomes "E-005": at least three exponent digits.
  const std::string_view digits = s.substr(epos + 2);
  out += 'E';
  out += s[epos + 1];
  if (digits.size() < 3) out.append(3 - digits.size(), '0');
  out += digits;
}

void append_i_field(std::string& out, std::int32_t v, int w) {
  char buf[16];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  pad_to(out, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)), w);
}

void append_f_field(std::string& out, double v, int w, int d) {
  if (!std::isfinite(v)) {
    append_nonfinite_field(out, v, w);
    return;
  }
  if (d < 0) d = 0;
  std::string text = format_magnitude("%.*f", d, std::fabs(v));
  if (d == 0) text += '.';
  if (v < 0 && text.find_first_of("123456789") != std::string::npos) text.insert(0, 1, '-');
  const auto width = static_cast<std::size_t>(w < 0 ? 0 : w);
  if (text.size() == width + 1 && text[0] == '0') text.erase(0, 1);
  pad_to(out, text, w);
}

void append_e_field(std::string& out, double v, int w, int d) {
  if (!std::isfinite(v)) {
    append_nonfinite_field(out, v, w);
    return;
  }
  if (d < 1) {
    out.append(static_cast<std::size_t>(w < 0 ? 0 : w), '*');
    return;
  }
  std::string digits;
  long exponent = 0;
  if (v == 0) {
    digits.assign(static_cast<std::size_t>(d), '0');
  } else {
    // d.ddd E±x from the library, rounded once; its exponent + 1 is ours, carries included.
    const std::string s = format_magnitude("%.*E", d - 1, std::fabs(v));
    const std::size_t epos = s.find('E');
    for (std::size_t i = 0; i < epos; ++i)
      if (s[i] != '.') digits += s[i];
    exponent = std::strtol(s.c_str() + epos + 1, nullptr, 10) + 1;
  }
  std::string body = "." + digits;
  const long mag = exponent < 0 ? -exponent : exponent;
  char ebuf[32];
  if (mag <= 99) {
    std::snprintf(ebuf, sizeof ebuf, "E%c%02ld", exponent < 0 ? '-' : '+', mag);
  } else {
    std::snprintf(ebuf, sizeof ebuf, "%c%03ld", exponent < 0 ? '-' : '+', mag);
  }
  body += ebuf;
  const std::string sign = v < 0 ? "-" : "";
  const auto width = static_cast<std::size_t>(w < 0 ? 0 : w);
  std::string text = sign + "0" + body;
  // The leading "0" goes first when the field is one character short.
  if (text.size() == width + 1) text = sign + body;
  pad_to(out, text, w);
}

void write_free_items(record_writer& out, std::span<const item> items) {
  std::string& rec = out.record;
  std::string real;
  for (const item& it : items) {
    switch (it.k) {
      case item::kind::text:
        if (!rec.empty() && rec.size() + it.text.size() >= free_record_limit) out.end_record();
        if (rec.empty()) rec += ' ';
        rec += it.text;
        break;
      case item::kind::integer: {
        char buf[16];
        const auto r = std::to_chars(buf, buf + sizeof buf, it.integer);
        const std::string_view s(buf, static_cast<std::size_t>(r.ptr - buf));
        // Only the digits count towards the limit, not the blank or the sign.
        const std::size_t ndigits = s.size() - (it.integer < 0 ? 1 : 0);
        if (!rec.empty() && rec.size() + ndigits >= free_record_limit) out.end_record();
        rec += ' ';
        rec += s;
        break;
      }
      case item::kind::real:
        real.clear();
        append_free_real(real, it.real);
        if (!rec.empty() && rec.size() + real.size() >= free_record_limit) out.end_record();
        rec += real;
        break;
    }
  }
  out.end_record();
}

}  // namespace textio::detail
