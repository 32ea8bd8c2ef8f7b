// Edit patterns: parsing and the walk that lays values out into records.
#include "textio/detail/pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "record_collector.h"

namespace {

using namespace textio::detail;
using lines = std::vector<std::string>;

lines walk(std::string_view pattern, std::initializer_list<textio::value> values = {}) {
  const parsed_pattern p = parse_pattern(pattern);
  EXPECT_TRUE(p.ok) << pattern;
  if (!p.ok) return {};
  testsupport::record_collector c;
  walk_pattern(p, std::span<const textio::value>(values.begin(), values.size()), c);
  return c.records;
}

TEST(pattern_walk, the_programs_patterns) {
  EXPECT_EQ(walk("(1X,'Enter Acceleration Wave Data')"), lines{" Enter Acceleration Wave Data"});
  EXPECT_EQ(walk("(/,1X,'Enter output acceleration file name')"),
            (lines{"", " Enter output acceleration file name"}));
  const char* head = "('period(sec),kokuji1461',20(',Iteration No.',I3))";
  EXPECT_EQ(walk(head), lines{"period(sec),kokuji1461,Iteration No."});
  EXPECT_EQ(walk(head, {1, 2}),
            lines{"period(sec),kokuji1461,Iteration No.  1,Iteration No.  2,Iteration No."});
  EXPECT_EQ(walk("(F8.4,20(',',E12.4))", {0.02f, 800.0f}), lines{"  0.0200,  0.8000E+03,"});
  EXPECT_EQ(walk("(F8.4,20(',',E12.4))", {0.02f}), lines{"  0.0200,"});
  EXPECT_EQ(walk("(F8.2,',',E12.4)", {40.96, -1.0}), lines{"   40.96, -0.1000E+01"});
}

TEST(pattern_walk, literal_text_blanks_and_slashes) {
  EXPECT_EQ(walk("('it''s')"), lines{"it's"});
  EXPECT_EQ(walk("( 1x , 'a' )"), lines{" a"});  // blanks and lower case letters
  EXPECT_EQ(walk("(I2,3X,I2)", {5, 6}), lines{" 5    6"});
  EXPECT_EQ(walk("(I2,3X)", {5}), lines{" 5"});  // blanks still owed at the end are dropped
  EXPECT_EQ(walk("(I2,3X,/,'a')", {5}), (lines{" 5", "a"}));
  EXPECT_EQ(walk("('a',/,/,'b')"), (lines{"a", "", "b"}));
  EXPECT_EQ(walk("(3('a'))"), lines{"aaa"});
  EXPECT_EQ(walk("(2(I1,2('x')))", {1, 2}), lines{"1xx2xx"});
  EXPECT_EQ(walk("(3I2)", {1, 2, 3}), lines{" 1 2 3"});
}

TEST(pattern_walk, stops_at_a_value_descriptor_without_a_value) {
  EXPECT_EQ(walk("(I2,'a',I2,'b')", {1}), lines{" 1a"});
  EXPECT_EQ(walk("(I2,'a',I2,'b')", {1, 2}), lines{" 1a 2b"});
  EXPECT_EQ(walk("('x',I2)"), lines{"x"});
}

TEST(pattern_walk, values_left_at_the_end_restart_at_the_last_outer_group) {
  EXPECT_EQ(walk("(I2,2(I3))", {1, 2, 3, 4, 5, 6}), (lines{" 1  2  3", "  4  5", "  6"}));
  EXPECT_EQ(walk("(I2,(I3))", {1, 2, 3, 4}), (lines{" 1  2", "  3", "  4"}));  // a group once
  EXPECT_EQ(walk("(I2)", {1, 2, 3}), (lines{" 1", " 2", " 3"}));
  EXPECT_EQ(walk("('h',I2,'t')", {1, 2}), (lines{"h 1t", "h 2t"}));
  // A pattern that can take no value ends after one record instead of looping.
  EXPECT_EQ(walk("('a')", {1}), lines{"a"});
}

TEST(pattern_walk, mixed_value_kinds) {
  EXPECT_EQ(walk("(F5.1,I3)", {3, 2.7}), lines{"  3.0  2"});
}

TEST(pattern_parse, malformed_patterns_are_refused) {
  for (const char* bad : {"I3", "(I3", "(Q3)", "(F8)", "(F8.)", "('abc)", "(I3))", "(2(I3)"})
    EXPECT_FALSE(parse_pattern(bad).ok) << bad;
}

}  // namespace
