#include "textio/detail/pattern.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace textio::detail {
namespace {

pattern_step make_step(pattern_step::code c, int n = 0, std::size_t jump = 0) {
  pattern_step st;
  st.c = c;
  st.n = n;
  st.jump = jump;
  return st;
}

class pattern_parser {
 public:
  explicit pattern_parser(std::string_view s) : s_(s) {}

  parsed_pattern parse() {
    parsed_pattern p;
    skip_blanks();
    if (!take('(')) return p;
    if (!parse_list(p, 0)) return p;
    skip_blanks();
    if (i_ != s_.size()) return p;
    p.steps.push_back(make_step(pattern_step::code::end));
    p.ok = true;
    return p;
  }

 private:
  void skip_blanks() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
  }
  bool take(char c) {
    skip_blanks();
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  char peek_upper() {
    skip_blanks();
    return i_ < s_.size() ? static_cast<char>(std::toupper(static_cast<unsigned char>(s_[i_])))
                          : '\0';
  }
  // A count or width; -1 when no digit stands here.
  int number() {
    skip_blanks();
    if (i_ >= s_.size() || !std::isdigit(static_cast<unsigned char>(s_[i_]))) return -1;
    long v = 0;
    while (i_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_]))) {
      v = v * 10 + (s_[i_++] - '0');
      if (v > 1000000) v = 1000000;
    }
    return static_cast<int>(v);
  }

  // The descriptors up to and including the closing parenthesis of the current level.
  bool parse_list(parsed_pattern& p, int depth) {
    for (;;) {
      if (take(')')) return true;
      if (take(',')) continue;
      if (i_ >= s_.size()) return false;
      if (!parse_item(p, depth)) return false;
    }
  }

  bool parse_item(parsed_pattern& p, int depth) {
    const char q = s_[i_];
    if (q == '\'' || q == '"') {
      ++i_;
      pattern_step st = make_step(pattern_step::code::text);
      for (;;) {
        if (i_ >= s_.size()) return false;
        const char c = s_[i_++];
        if (c == q) {
          if (i_ < s_.size() && s_[i_] == q) {
            st.text += q;
            ++i_;
            continue;
          }
          break;
        }
        st.text += c;
      }
      p.steps.push_back(std::move(st));
      return true;
    }
    if (take('/')) {
      p.steps.push_back(make_step(pattern_step::code::slash));
      return true;
    }
    const int count = number();
    const char c = peek_upper();
    if (c == '(') {
      ++i_;
      if (depth == 0) p.restart = p.steps.size();
      const std::size_t start = p.steps.size();
      p.steps.push_back(make_step(pattern_step::code::group_start, count < 0 ? 1 : count));
      if (!parse_list(p, depth + 1)) return false;
      p.steps[start].jump = p.steps.size();
      p.steps.push_back(make_step(pattern_step::code::group_end, 0, start));
      return true;
    }
    if (c == 'X') {
      ++i_;
      p.steps.push_back(make_step(pattern_step::code::blanks, count < 0 ? 1 : count));
      return true;
    }
    pattern_step st;
    if (c == 'I') {
      st.c = pattern_step::code::i_field;
    } else if (c == 'F') {
      st.c = pattern_step::code::f_field;
    } else if (c == 'E') {
      st.c = pattern_step::code::e_field;
    } else {
      return false;
    }
    ++i_;
    st.n = number();
    if (st.n < 0) return false;
    if (st.c != pattern_step::code::i_field) {
      if (!take('.')) return false;
      st.d = number();
      if (st.d < 0) return false;
    }
    // "3I4" stands for three I4 fields in a row.
    for (int k = 0; k < (count < 0 ? 1 : count); ++k) p.steps.push_back(st);
    return true;
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

double real_of(const value& v) {
  return v.is_integer ? static_cast<double>(v.integer) : v.real;
}

void append_field(std::string& rec, const pattern_step& st, const value& v) {
  switch (st.c) {
    case pattern_step::code::i_field:
      if (v.is_integer) {
        append_i_field(rec, v.integer, st.n);
      } else if (std::isfinite(v.real) && std::fabs(v.real) < 2147483648.0) {
        append_i_field(rec, static_cast<std::int32_t>(v.real), st.n);
      } else {
        rec.append(static_cast<std::size_t>(st.n), '*');
      }
      break;
    case pattern_step::code::f_field:
      append_f_field(rec, real_of(v), st.n, st.d);
      break;
    default:
      append_e_field(rec, real_of(v), st.n, st.d);
      break;
  }
}

}  // namespace

parsed_pattern parse_pattern(std::string_view pattern) {
  return pattern_parser(pattern).parse();
}

void walk_pattern(const parsed_pattern& p, std::span<const value> values, record_writer& out) {
  struct open_group {
    std::size_t start;
    int left;
  };
  std::vector<open_group> groups;
  std::size_t next = 0;     // next value to take
  std::size_t pending = 0;  // blanks owed by X, written only before something else
  std::size_t pc = 0;
  std::size_t taken_before_pass = 0;
  auto end_record = [&] {
    pending = 0;
    out.end_record();
  };
  for (;;) {
    const pattern_step& st = p.steps[pc];
    switch (st.c) {
      case pattern_step::code::text:
        out.record.append(pending, ' ');
        pending = 0;
        out.record += st.text;
        ++pc;
        break;
      case pattern_step::code::blanks:
        pending += static_cast<std::size_t>(st.n);
        ++pc;
        break;
      case pattern_step::code::slash:
        end_record();
        ++pc;
        break;
      case pattern_step::code::i_field:
      case pattern_step::code::f_field:
      case pattern_step::code::e_field:
        if (next == values.size()) {
          end_record();
          return;
        }
        out.record.append(pending, ' ');
        pending = 0;
        append_field(out.record, st, values[next++]);
        ++pc;
        break;
      case pattern_step::code::group_start:
        if (st.n <= 0) {
          pc = st.jump + 1;
        } else {
          groups.push_back({pc, st.n});
          ++pc;
        }
        break;
      case pattern_step::code::group_end:
        if (--groups.back().left > 0) {
          pc = groups.back().start + 1;
        } else {
          groups.pop_back();
          ++pc;
        }
        break;
      case pattern_step::code::end:
        end_record();
        // A pass that took no value would take none the next time either.
        if (next == values.size() || next == taken_before_pass) return;
        taken_before_pass = next;
        groups.clear();
        pc = p.restart;
        break;
    }
  }
}

}  // namespace textio::detail
