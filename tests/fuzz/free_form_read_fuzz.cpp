// Fuzzes the free-form and fixed-width scanning core with arbitrary records.
//
// The first byte chooses the read: bits 0-1 the mode (free-form records in a loop, as the wave
// reader does; one fixed-width read; one read checked against the library's own conversion),
// bits 2-3 the number of targets and bits 4-7 and the second byte their kinds (integer, single,
// double, text) or the width of the field. The rest is the input.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "textio/detail/scan.h"

namespace {

using textio::target;
using textio::detail::read_field;
using textio::detail::read_list;
using textio::detail::scan_error;
using textio::detail::string_source;

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

bool known(scan_error e) {
  switch (e) {
    case scan_error::none:
    case scan_error::end_of_file:
    case scan_error::late_end_of_file:
    case scan_error::invalid_number:
    case scan_error::exponent_field:
    case scan_error::bad_repetition_count:
    case scan_error::invalid_integer:
    case scan_error::integer_overflow:
      return true;
  }
  return false;
}

// Storage for up to three targets of the kinds chosen by the selector bits.
struct targets {
  std::int32_t integer[3] = {};
  float single[3] = {};
  double real[3] = {};
  char text[3][50] = {};
  std::vector<target> list;

  explicit targets(unsigned bits) {
    const unsigned count = bits & 3u;
    for (unsigned i = 0; i < count; ++i) {
      switch ((bits >> (2 + 3 * i)) & 3u) {
        case 0:
          list.emplace_back(&integer[i]);
          break;
        case 1:
          list.emplace_back(&single[i]);
          break;
        case 2:
          list.emplace_back(&real[i]);
          break;
        default:
          list.emplace_back(std::span<char>(text[i], 20 + 15 * i));
          break;
      }
    }
  }
};

// Records read one after the other until the end of the file or a fatal error: every read that
// ends normally has taken at least one character, so the loop cannot run forever.
void read_records(std::string_view input, unsigned bits) {
  string_source src(input);
  targets t(bits);
  for (std::size_t reads = 0;; ++reads) {
    check(reads <= input.size() + 1, "a free-form read that takes no character");
    if (src.at_eof()) return;  // the layer refuses a read once the end of the file was met
    const std::size_t before = src.pos();
    const scan_error e = read_list(src, t.list);
    check(known(e), "unknown scan result");
    check(src.pos() <= input.size(), "scanned past the end of the record text");
    if (e != scan_error::none) return;
    check(src.pos() > before || src.at_eof(), "read ended normally without progress");
  }
}

// The first `width` characters of the record, blank-padded; nothing past the line end.
void read_fixed(std::string_view input, unsigned bits) {
  string_source src(input);
  std::vector<char> field(bits % 40 + 1, '#');
  const scan_error e = read_field(src, field);
  check(e == scan_error::none || e == scan_error::end_of_file, "unexpected fixed-width result");
  if (e != scan_error::none) return;
  const std::size_t lf = input.find('\n');
  const std::string_view record = input.substr(0, lf);
  for (std::size_t i = 0; i < field.size(); ++i) {
    // A CR LF reaches the reader as LF, so a CR just before the line end is not part of it.
    const bool in_record =
        i < record.size() && !(i + 1 == record.size() && lf != record.npos && record[i] == '\r');
    check(field[i] == (in_record ? record[i] : ' '), "fixed-width field differs from the record");
  }
}

// A single plain number or word: the value must be what the standard library makes of it.
void read_checked(std::string_view input, unsigned bits) {
  // At most 39 digits: all of them significant, so the library sees the same decimal value.
  static const std::regex real_token(
      " *([-+]?[0-9]{1,20}(\\.[0-9]{0,19})?([eE][-+]?[0-9]{1,3})?) *");
  static const std::regex int_token(" *([-+]?[0-9]{1,9}) *");
  static const std::regex word_token(" *([A-Za-z_.][A-Za-z0-9_.]{0,60}) *");
  const std::string s(input);
  std::smatch m;
  string_source src(input);
  switch (bits & 3u) {
    case 0: {
      std::int32_t v = -7;
      const scan_error e = read_list(src, {{&v}});
      if (!std::regex_match(s, m, int_token)) return;
      std::string digits = m[1].str();
      if (digits[0] == '+') digits.erase(0, 1);
      std::int32_t want = 0;
      std::from_chars(digits.data(), digits.data() + digits.size(), want);
      check(e == scan_error::late_end_of_file || e == scan_error::none, "integer refused");
      check(v == want, "integer differs from from_chars");
      break;
    }
    case 1:
    case 2: {
      double v = -7.0;
      float f = -7.0f;
      const bool single = (bits & 3u) == 1;
      const scan_error e = single ? read_list(src, {{&f}}) : read_list(src, {{&v}});
      if (!std::regex_match(s, m, real_token)) return;
      check(e == scan_error::none, "real refused");
      const double want = std::strtod(m[1].str().c_str(), nullptr);
      if (single) {
        check(f == static_cast<float>(want), "single differs from strtod rounded to float");
      } else {
        check(v == want, "double differs from strtod");
      }
      break;
    }
    default: {
      char text[20];
      const scan_error e = read_list(src, {{std::span<char>(text)}});
      if (!std::regex_match(s, m, word_token)) return;
      check(e == scan_error::none, "word refused");
      std::string want = m[1].str().substr(0, sizeof text);
      want.resize(sizeof text, ' ');
      check(std::string_view(text, sizeof text) == want, "word differs from the typed text");
      break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const unsigned bits = (data[0] >> 2) | (static_cast<unsigned>(data[1]) << 6);
  const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);
  switch (data[0] & 3u) {
    case 0:
    case 1:
      read_records(input, bits);
      break;
    case 2:
      read_fixed(input, bits);
      break;
    default:
      read_checked(input, bits >> 2);
      break;
  }
  return 0;
}
