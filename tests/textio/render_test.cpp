// Free-form items and the I, F and E fields, at the boundaries where such renderings break.
#include "textio/detail/render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "record_collector.h"

namespace {

using namespace textio::detail;

constexpr double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

std::vector<std::string> free_records(std::initializer_list<textio::item> items) {
  testsupport::record_collector c;
  write_free_items(c, std::span<const textio::item>(items.begin(), items.size()));
  return c.records;
}

std::string free_real(double v) {
  std::string s;
  append_free_real(s, v);
  return s;
}

TEST(free_real, nine_significant_digits_of_the_value_held) {
  const struct {
    double v;
    const char* expected;
  } rows[] = {
      {4.0, "  4."},
      {static_cast<double>(0.01f), "  0.00999999978"},
      {0.01, "  0.01"},
      {static_cast<double>(1.0f / 3.0f), "  0.333333343"},
      {-2.5, " -2.5"},
      {static_cast<double>(0.05f), "  0.0500000007"},
      {static_cast<double>(1.0e-5f), "  9.99999975E-006"},
      {1.0e10, "  1.E+010"},
      {1.0e-5, "  1.E-005"},
      {0.0, "  0."},
      {-0.0, "  0."},
      {1.0e-4, "  0.0001"},  // exponent -4: still fixed
      {9.99999999e-5, "  9.99999999E-005"},
      {1.0e8, "  100000000."},  // exponent 8: still fixed
      {1.0e9, "  1.E+009"},
      {999999999.7, "  1.E+009"},  // rounding to 9 digits moves the exponent
      {1.0e100, "  1.E+100"},
      {1.5e-300, "  1.5E-300"},
  };
  for (const auto& r : rows) EXPECT_EQ(free_real(r.v), r.expected) << r.v;
}

TEST(free_real, non_finite_values) {
  EXPECT_EQ(free_real(nan), "  NaN");
  EXPECT_EQ(free_real(inf), "  Infinity");
  EXPECT_EQ(free_real(-inf), " -Infinity");
}

TEST(free_record, each_item_brings_its_own_blanks) {
  using V = std::vector<std::string>;
  EXPECT_EQ(free_records({"  tb,tc,td,te(s)=", 4.0f, 35.0f, 60.0f, 80.0f}),
            V{"   tb,tc,td,te(s)=  4.  35.  60.  80."});
  EXPECT_EQ(free_records({" IF1,NF=", 15, 32768}), V{"  IF1,NF= 15 32768"});
  EXPECT_EQ(free_records({"NT and DT=", 4, 0.01f}), V{" NT and DT= 4  0.00999999978"});
  EXPECT_EQ(free_records({}), V{""});  // an empty line, not a blank
  EXPECT_EQ(free_records({-5}), V{" -5"});
  EXPECT_EQ(free_records({5, "ab", "cd"}), V{" 5abcd"});  // a text after an item: no blank
  EXPECT_EQ(free_records({0, -2147483647 - 1}), V{" 0 -2147483648"});
}

TEST(free_record, split_before_the_item_that_would_reach_column_80) {
  using V = std::vector<std::string>;
  const std::string t70(70, 'a'), t76(76, 'b'), t74(74, 'c'), t75(75, 'e');
  // Text: position + length >= 80 splits; the new record starts with its blank.
  EXPECT_EQ(free_records({t70.c_str(), "123456789"}), (V{" " + t70, " 123456789"}));
  EXPECT_EQ(free_records({t70.c_str(), "12345678"}), (V{" " + t70 + "12345678"}));
  // Integer: only the digits count, not the blank or the sign.
  EXPECT_EQ(free_records({t76.c_str(), 12}), (V{" " + t76 + " 12"}));
  EXPECT_EQ(free_records({t76.c_str(), -12}), (V{" " + t76 + " -12"}));
  EXPECT_EQ(free_records({t76.c_str(), 123}), (V{" " + t76, " 123"}));
  // Real: the whole rendering, its two leading characters included.
  EXPECT_EQ(free_records({t74.c_str(), 4.0}), (V{" " + t74 + "  4."}));
  EXPECT_EQ(free_records({t75.c_str(), 4.0}), (V{" " + t75, "  4."}));
  // An item longer than a record is written whole, never cut.
  const std::string t100(100, 'd');
  EXPECT_EQ(free_records({t100.c_str()}), (V{" " + t100}));
  EXPECT_EQ(free_records({1, t100.c_str(), 2}), (V{" 1", " " + t100, " 2"}));
}

std::string i_field(std::int32_t v, int w) {
  std::string s;
  append_i_field(s, v, w);
  return s;
}
std::string f_field(double v, int w, int d) {
  std::string s;
  append_f_field(s, v, w, d);
  return s;
}
std::string e_field(double v, int w, int d) {
  std::string s;
  append_e_field(s, v, w, d);
  return s;
}

TEST(i_field, right_justified_or_asterisks) {
  EXPECT_EQ(i_field(1, 3), "  1");
  EXPECT_EQ(i_field(10, 3), " 10");
  EXPECT_EQ(i_field(1000, 3), "***");
  EXPECT_EQ(i_field(0, 3), "  0");
  EXPECT_EQ(i_field(-99, 3), "-99");
  EXPECT_EQ(i_field(-100, 3), "***");  // the sign counts towards the width
  EXPECT_EQ(i_field(-2147483647 - 1, 11), "-2147483648");
}

TEST(f_field, fixed_point_rounding_and_width) {
  const struct {
    double v;
    int w, d;
    const char* expected;
  } rows[] = {
      {0.02, 8, 4, "  0.0200"},
      {10.0, 8, 4, " 10.0000"},
      {-0.5, 8, 4, " -0.5000"},
      {1000.0, 8, 4, "********"},
      {999.9999, 8, 4, "999.9999"},
      {999.99996, 8, 4, "********"},  // rounds up to 1000.0000: one too many
      {static_cast<double>(0.05f), 8, 4, "  0.0500"},
      {0.0, 8, 2, "    0.00"},
      {40.96, 8, 2, "   40.96"},
      {-0.00004, 8, 4, "  0.0000"},  // every digit zero: no minus sign
      {-0.0, 8, 4, "  0.0000"},
      {-0.004, 5, 2, " 0.00"},
      {-0.005, 5, 2, "-0.01"},  // held as 0.005000000000000000104: rounds away
      {0.5, 6, 4, "0.5000"},
      {0.5, 5, 4, ".5000"},  // one too long and led by "0": the "0" goes
      {0.5, 4, 4, "****"},
      {12.5, 5, 4, "*****"},  // one too long but not led by "0"
      {3.0, 4, 0, "  3."},
  };
  for (const auto& r : rows)
    EXPECT_EQ(f_field(r.v, r.w, r.d), r.expected) << r.v << " F" << r.w << "." << r.d;
}

TEST(e_field, exponent_form_carries_and_width) {
  const struct {
    double v;
    int w, d;
    const char* expected;
  } rows[] = {
      {1.0, 12, 4, "  0.1000E+01"},
      {-1.0, 12, 4, " -0.1000E+01"},
      {800.0, 12, 4, "  0.8000E+03"},
      {-0.012345, 12, 4, " -0.1235E-01"},
      {1.5e-10, 12, 4, "  0.1500E-09"},
      {0.0, 12, 4, "  0.0000E+00"},
      {-0.0, 12, 4, "  0.0000E+00"},
      {1.0e-120, 12, 4, "  0.1000-119"},
      {1.0e99, 12, 4, "  0.1000+100"},
      {1.23456e98, 12, 4, "  0.1235E+99"},
      {9.99995, 12, 4, "  0.1000E+02"},  // the carry moves into the exponent
      {static_cast<double>(0.05f), 12, 4, "  0.5000E-01"},
      {1.0, 10, 4, "0.1000E+01"},
      {1.0, 9, 4, ".1000E+01"},  // d + 5: the leading "0" is left out
      {1.0, 8, 4, "********"},
      {-1.0, 11, 4, "-0.1000E+01"},
      {-1.0, 10, 4, "-.1000E+01"},  // d + 6 with a minus sign
      {-1.0, 9, 4, "*********"},
      {4.9e-324, 12, 4, "  0.4941-323"},  // the smallest subnormal
  };
  for (const auto& r : rows)
    EXPECT_EQ(e_field(r.v, r.w, r.d), r.expected) << r.v << " E" << r.w << "." << r.d;
}

TEST(fields, non_finite_values_long_short_or_asterisks) {
  EXPECT_EQ(f_field(nan, 8, 4), "     NaN");
  EXPECT_EQ(f_field(inf, 8, 4), "Infinity");
  EXPECT_EQ(f_field(-inf, 8, 4), "    -Inf");
  EXPECT_EQ(f_field(-inf, 3, 1), "***");
  EXPECT_EQ(f_field(nan, 2, 1), "**");
  EXPECT_EQ(e_field(inf, 12, 4), "    Infinity");
  EXPECT_EQ(e_field(-inf, 12, 4), "   -Infinity");
  EXPECT_EQ(e_field(nan, 12, 4), "         NaN");
}

}  // namespace
