// Free-form input: text values, and the list read that gives each target its value, a null or
// the value of a repeat count, then discards the rest of the record.
#include <string>
#include <utility>

#include "textio/detail/scan.h"
#include "textio/detail/scan_chars.h"

namespace textio::detail {

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
    t.error = repeat_count(t.value, t.repeat);
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

// After a repeat count: whether the count stands alone (r* is r null values).
bool null_follows(char_source& src) {
  const int c = src.get();
  src.unget(c);
  return ends_value(c);
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
      if (null_follows(src)) {
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
    if (null_follows(src)) {
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

}  // namespace textio::detail
