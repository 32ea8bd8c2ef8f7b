// The text layer's fields as the record readers take them: one whole number, and a field quoted
// into a message on one short plain line.
#include "waveio/text_fields.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

namespace {

// A field is one whole number by the text layer's scanner; values worked out by hand.
TEST(text_fields, a_field_is_one_whole_number) {
  struct row {
    const char* field;
    std::optional<double> value;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const row rows[] = {
      {"1.5", 1.5},   {" +4 ", 4.0}, {".15E+01", 1.5}, {"-1.5e0", -1.5}, {"1.5D0", 1.5},
      {"25d-1", 2.5}, {"7.", 7.0},   {"1e400", inf},   {"1.5-3", {}},    {"1.5+3", {}},
      {"1e", {}},     {"1.5x", {}},  {"inf", {}},      {"nan", {}},      {"0x10", {}},
      {".", {}},      {"", {}},      {"1 2", {}},      {"--1", {}},      {"1e+-2", {}},
  };
  for (const row& r : rows) EXPECT_EQ(waveio::parse_number(r.field), r.value) << r.field;
}

TEST(text_fields, quoted_fields_stay_one_short_plain_line) {
  struct row {
    std::string field;
    std::string quoted;
  };
  const row rows[] = {
      {"abc", "\"abc\""},
      {"a\tb", "\"a\\tb\""},
      {std::string("\x01\x7f\0", 3), "\"\\x01\\x7f\\x00\""},
      {"\xE2\x80\xA8", "\"\\xe2\\x80\\xa8\""},
      {"say \"x\" \\", "\"say \\\"x\\\" \\\\\""},
      {std::string(40, 'x'), "\"" + std::string(40, 'x') + "\""},
      {std::string(300000, 'y'), "\"" + std::string(40, 'y') + "...\""},
  };
  for (const row& r : rows) EXPECT_EQ(waveio::quoted(r.field), r.quoted) << r.quoted;
}

}  // namespace
