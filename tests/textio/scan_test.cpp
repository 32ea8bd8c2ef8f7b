// Free-form and fixed-width scanning: the value each target receives and where the scan stopped.
#include "textio/detail/scan.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "textio/textio.h"

namespace {

using namespace textio::detail;
using textio::target;

// One free-form read of the text into the targets; pos: where the source stands afterwards.
struct read_outcome {
  scan_error error;
  std::size_t pos;
};

read_outcome read(std::string_view text, std::initializer_list<target> targets) {
  string_source src(text);
  const scan_error e = read_list(src, std::span<const target>(targets.begin(), targets.size()));
  return {e, src.pos()};
}

std::string text_of(const std::array<char, 20>& a) {
  return std::string(a.data(), a.size());
}
std::string padded(std::string s) {
  s.resize(20, ' ');
  return s;
}

TEST(scan_separators, one_value_per_target_then_the_rest_of_the_record_goes) {
  std::int32_t a = 9, b = 9, c = 9;
  auto r = read("5 6\n7\n", {&a});
  EXPECT_EQ(r.error, scan_error::none);
  EXPECT_EQ(a, 5);
  EXPECT_EQ(r.pos, 4u);  // the 6 went with its record; the next read starts at 7

  r = read("\n\n \t 42\n", {&a});  // empty records are passed over
  EXPECT_EQ(a, 42);
  EXPECT_EQ(r.pos, 8u);

  r = read("1 , 2\t3\n", {&a, &b, &c});
  EXPECT_EQ((std::array{a, b, c}), (std::array{1, 2, 3}));

  r = read("1\n2\n", {&a, &b});  // a value may go on in the next record
  EXPECT_EQ((std::array{a, b}), (std::array{1, 2}));
  EXPECT_EQ(r.pos, 4u);

  r = read("5\r\n6\r\n", {&a});  // CR LF is a line end
  EXPECT_EQ(a, 5);
  EXPECT_EQ(r.pos, 3u);
}

TEST(scan_separators, commas_and_slashes_make_null_values) {
  std::int32_t a = 9, b = 9, c = 9;
  read(",\n", {&a});
  EXPECT_EQ(a, 9);
  read("/\n", {&a});
  EXPECT_EQ(a, 9);
  read("1,,3\n", {&a, &b, &c});
  EXPECT_EQ((std::array{a, b, c}), (std::array{1, 9, 3}));
  a = b = c = 9;
  read("1,\n,3\n", {&a, &b, &c});  // a comma after a line end is a null
  EXPECT_EQ((std::array{a, b, c}), (std::array{1, 9, 3}));
  a = b = c = 9;
  const auto r = read("1 / 2\n4\n", {&a, &b, &c});  // the slash ends the read
  EXPECT_EQ((std::array{a, b, c}), (std::array{1, 9, 9}));
  EXPECT_EQ(r.pos, 6u);
}

TEST(scan_numbers, forms_of_a_number) {
  const std::string d45 = "123456789012345678901234567890123456789012345";
  const struct {
    std::string text;
    double expected;
  } rows[] = {
      {"1.5E2", 150.0},
      {"1.5e2", 150.0},
      {"1.5D2", 150.0},
      {"1.5d2", 150.0},
      {"1.5E+2", 150.0},
      {"1.5e-2", 0.015},
      {".5", 0.5},
      {"5.", 5.0},
      {"5.25", 5.25},
      {"-7", -7.0},
      {"+7", 7.0},
      {"1.5-3", 1.5e-3},  // a sign after the digits starts the exponent
      // At most 40 significant digits: later ones scale the value or are dropped.
      {d45, std::strtod("1234567890123456789012345678901234567890e5", nullptr)},
      {"0." + d45, std::strtod("0.1234567890123456789012345678901234567890", nullptr)},
      {std::string(45, '0') + "1.5", 1.5},  // leading zeros are not counted
      {"1e99999999", std::numeric_limits<double>::infinity()},
  };
  for (const auto& r : rows) {
    double x = 0;
    EXPECT_EQ(read(r.text + "\n", {&x}).error, scan_error::none) << r.text;
    EXPECT_EQ(x, r.expected) << r.text;
    // The scanner over text in memory takes the same number, all of it.
    const textio::scanned_number n = textio::scan_real(r.text);
    EXPECT_EQ(n.error, textio::number_error::none) << r.text;
    EXPECT_EQ(n.value, r.expected) << r.text;
    EXPECT_EQ(n.next, r.text.size()) << r.text;
  }
  // In memory: where the number stopped, and why there was none.
  const struct {
    std::string_view text;
    std::size_t next;
    textio::number_error error;
  } stops[] = {
      {"2.5,3", 3, textio::number_error::none},
      {"2.5\r\n", 3, textio::number_error::none},
      {"-4e", 3, textio::number_error::exponent_field},
      {"1e100000000", 11, textio::number_error::exponent_field},
      {" 1", 0, textio::number_error::invalid_number},
      {"+.", 2, textio::number_error::invalid_number},
      {"", 0, textio::number_error::invalid_number},
      {"abc", 0, textio::number_error::invalid_number},
  };
  for (const auto& s : stops) {
    const textio::scanned_number n = textio::scan_real(s.text);
    EXPECT_EQ(n.error, s.error) << s.text;
    EXPECT_EQ(n.next, s.next) << s.text;
  }
  double x = 1;
  read("-1e-99999999\n", {&x});
  EXPECT_TRUE(x == 0.0 && std::signbit(x));
  EXPECT_EQ(read("1e100000000\n", {&x}).error, scan_error::exponent_field);

  float f = 0;
  read("0.01\n", {&f});
  EXPECT_EQ(f, 0.01f);
  // A single-precision target gets the double rounded again: 1 + 2^-24 + 1e-38 is nearest to
  // 1 + 2^-24 in double, a tie in single that rounds to even, so 1.
  read("1.00000005960464477539062500000000000001\n", {&f});
  EXPECT_EQ(f, 1.0f);

  // A number ends at the first character that cannot continue it.
  double y = 0;
  read("1.5.3\n", {&x, &y});
  EXPECT_EQ((std::array{x, y}), (std::array{1.5, 0.3}));
  const auto r = read("1.5abc 2\n", {&x, &y});
  EXPECT_EQ(r.error, scan_error::invalid_number);
  EXPECT_EQ(r.pos, 3u);
}

TEST(scan_numbers, integer_targets) {
  const struct {
    std::string text;
    std::int32_t expected;
  } rows[] = {
      {"12+1", 120},
      {"1-1", 0},
      {"-15-1", -1},  // truncated toward zero
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"1" + std::string(50, '0') + "-50", 1},
  };
  for (const auto& r : rows) {
    std::int32_t i = 0;
    EXPECT_EQ(read(r.text + "\n", {&i}).error, scan_error::none) << r.text;
    EXPECT_EQ(i, r.expected) << r.text;
  }
  std::int32_t i = 0;
  auto r = read("1.0\n", {&i});
  EXPECT_EQ(r.error, scan_error::invalid_integer);
  EXPECT_EQ(r.pos, 1u);
  EXPECT_EQ(read("1e5\n", {&i}).error, scan_error::invalid_integer);
  EXPECT_EQ(read("2147483648\n", {&i}).error, scan_error::integer_overflow);
  EXPECT_EQ(read("-2147483649\n", {&i}).error, scan_error::integer_overflow);
}

TEST(scan_numbers, repeat_counts) {
  double x[3] = {9, 9, 9};
  read("3*1.5\n", {&x[0], &x[1], &x[2]});
  EXPECT_EQ((std::array{x[0], x[1], x[2]}), (std::array{1.5, 1.5, 1.5}));
  std::int32_t a = 9, b = 9, c = 9;
  read("2* 7\n", {&a, &b, &c});  // two nulls, then 7
  EXPECT_EQ((std::array{a, b, c}), (std::array{9, 9, 7}));
  read("2*,5\n", {&a, &b, &c});
  EXPECT_EQ((std::array{a, b, c}), (std::array{9, 9, 5}));
  read("2*4 5\n", {&a, &b, &c});
  EXPECT_EQ((std::array{a, b, c}), (std::array{4, 4, 5}));
}

TEST(scan_errors, each_failure_and_where_the_scan_stopped) {
  double x = 0;
  std::int32_t i = 0;
  const struct {
    const char* text;
    bool integer;
    scan_error error;
    std::size_t pos;
  } rows[] = {
      {"abc\n", false, scan_error::invalid_number, 0},
      {".\n", false, scan_error::invalid_number, 1},
      {"-\n", false, scan_error::invalid_number, 1},
      {"+ 5\n", false, scan_error::invalid_number, 1},
      {"1.5e\n", false, scan_error::exponent_field, 4},
      {"1.5e+x\n", false, scan_error::exponent_field, 5},
      {"5-\n", false, scan_error::exponent_field, 2},
      {"0*5\n", false, scan_error::bad_repetition_count, 1},
      {"-2*5\n", false, scan_error::bad_repetition_count, 2},
      {"00*5\n", true, scan_error::bad_repetition_count, 2},
  };
  for (const auto& r : rows) {
    const read_outcome o = r.integer ? read(r.text, {&i}) : read(r.text, {&x});
    EXPECT_EQ(o.error, r.error) << r.text;
    EXPECT_EQ(o.pos, r.pos) << r.text;
  }
  EXPECT_EQ(read(std::string(41, '1') + "*5\n", {&x}).error, scan_error::bad_repetition_count);
}

TEST(scan_text, quoted_and_unquoted_values) {
  const struct {
    const char* text;
    std::string expected;
  } rows[] = {
      {"data/wave.csv\n", padded("data")},  // unquoted: up to a blank, comma or slash
      {"'data/wave.csv'\n", padded("data/wave.csv")},
      {"\"a b,c\"\n", padded("a b,c")},
      {"'it''s'\n", padded("it's")},
      {"'ab\ncd'\n", padded("abcd")},      // a line end inside is dropped...
      {"'ab\\\ncd'\n", padded("ab\ncd")},  // ...unless a backslash stands before it
      {"abcdefghijklmnopqrstuvwxy\n", "abcdefghijklmnopqrst"},
  };
  for (const auto& r : rows) {
    std::array<char, 20> a{};
    read(r.text, {std::span<char>(a)});
    EXPECT_EQ(text_of(a), r.expected) << r.text;
  }
  std::array<char, 20> a{}, b{}, c{};
  read("12ab 0*x 2*q\n", {std::span<char>(a), std::span<char>(b), std::span<char>(c)});
  EXPECT_EQ(text_of(a), padded("12ab"));
  EXPECT_EQ(text_of(b), padded("0*x"));  // a count of zero starts an unquoted value
  EXPECT_EQ(text_of(c), padded("q"));
  read("2*'x y' z\n", {std::span<char>(a), std::span<char>(b), std::span<char>(c)});
  EXPECT_EQ(text_of(a), padded("x y"));
  EXPECT_EQ(text_of(b), padded("x y"));
  EXPECT_EQ(text_of(c), padded("z"));

  a.fill('k');
  read(",\n", {std::span<char>(a)});
  EXPECT_EQ(text_of(a), std::string(20, 'k'));  // a null keeps the old text
}

TEST(scan_end_of_file, last_records_with_and_without_line_end) {
  double t = 0, v = 0;
  EXPECT_EQ(read("", {&t}).error, scan_error::end_of_file);
  EXPECT_EQ(read("\n \n", {&t}).error, scan_error::end_of_file);
  EXPECT_EQ(read("1.0,2.0", {&t, &v}).error, scan_error::none);
  EXPECT_EQ((std::array{t, v}), (std::array{1.0, 2.0}));
  EXPECT_EQ(read("3.0 4.0  ", {&t, &v}).error, scan_error::none);
  t = v = 0;
  EXPECT_EQ(read("1.0,2.0,", {&t, &v}).error, scan_error::late_end_of_file);
  EXPECT_EQ((std::array{t, v}), (std::array{1.0, 2.0}));  // stored all the same
  EXPECT_EQ(read("1.0 2.0 x", {&t, &v}).error, scan_error::late_end_of_file);
  t = v = 0;
  EXPECT_EQ(read("5.0\n", {&t, &v}).error, scan_error::end_of_file);
  EXPECT_EQ(t, 5.0);

  // A read without targets discards one record.
  EXPECT_EQ(read("", {}).error, scan_error::late_end_of_file);
  EXPECT_EQ(read("header", {}).error, scan_error::late_end_of_file);
  const auto r = read("header\nnext\n", {});
  EXPECT_EQ(r.error, scan_error::none);
  EXPECT_EQ(r.pos, 7u);

  std::array<char, 20> a{};
  a.fill('k');
  EXPECT_EQ(read("'abc", {std::span<char>(a)}).error, scan_error::late_end_of_file);
  EXPECT_EQ(text_of(a), std::string(20, 'k'));
  EXPECT_EQ(read("abc", {std::span<char>(a)}).error, scan_error::none);
}

// The public read over text in memory answers as read_free_record with end handling does: a
// late end of file (the last record cut after its values) is the end, and once the end has
// been met every later read meets it.
TEST(scan_end_of_file, list_reader_ends_as_a_unit_read_with_end_handling) {
  using textio::list_status;
  struct step {
    list_status status;
    double t, v;       // the targets afterwards (both start at -1)
    std::size_t next;  // position afterwards
  };
  struct row {
    std::string_view text;
    std::vector<step> steps;  // after the header read
  };
  const row rows[] = {
      {"h\n1 2\n3\n4 5\n",
       {{list_status::values, 1, 2, 6},
        {list_status::values, 3, 4, 12},
        {list_status::end, -1, -1, 12}}},
      {"h\n1,2,", {{list_status::cut, 1, 2, 6}, {list_status::end, -1, -1, 6}}},
      {"h\n1 2", {{list_status::values, 1, 2, 5}, {list_status::end, -1, -1, 5}}},
      {"h\r\n1 x\r\n", {{list_status::invalid_number, 1, -1, 5}}},
      {"h\n/\n", {{list_status::values, -1, -1, 4}}},
  };
  for (const row& r : rows) {
    textio::list_reader reader(r.text);
    EXPECT_EQ(reader.read({}), list_status::values) << r.text;
    for (const step& st : r.steps) {
      double t = -1, v = -1;
      const std::array<target, 2> targets{&t, &v};
      EXPECT_EQ(reader.read(targets), st.status) << r.text;
      EXPECT_EQ((std::array{t, v}), (std::array{st.t, st.v})) << r.text;
      EXPECT_EQ(reader.position(), st.next) << r.text;
    }
  }
}

struct field_outcome {
  scan_error error;
  std::string text;
  std::size_t pos;
};

field_outcome field(std::string_view input) {
  string_source src(input);
  std::array<char, 20> a{};
  const scan_error e = read_field(src, a);
  return {e, text_of(a), src.pos()};
}

TEST(scan_field, first_characters_of_the_record) {
  auto f = field("  name.csv  and then more\nnext\n");
  EXPECT_EQ(f.error, scan_error::none);
  EXPECT_EQ(f.text, "  name.csv  and then");  // leading and inner blanks stay
  EXPECT_EQ(f.pos, 26u);
  f = field("abc\nnext\n");
  EXPECT_EQ(f.text, padded("abc"));
  EXPECT_EQ(f.pos, 4u);
  f = field("'q'\ta\r\n");
  EXPECT_EQ(f.text, padded("'q'\ta"));  // apostrophes and tabs are part of the name
  EXPECT_EQ(f.pos, 7u);
  EXPECT_EQ(field("").error, scan_error::end_of_file);
  EXPECT_EQ(field("abc").error, scan_error::end_of_file);
  f = field("abcdefghijklmnopqrstuvwxyz");  // the width taken, the file ends in the discard
  EXPECT_EQ(f.error, scan_error::none);
  EXPECT_EQ(f.text, "abcdefghijklmnopqrst");
}

}  // namespace
