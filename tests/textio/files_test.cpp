// Units connected to files: creation, overwriting and cutting, reading back, line ends.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "run_program.h"
#include "textio/textio.h"

namespace {

using testsupport::crlf;
using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;

constexpr int unit = 11;

TEST(files, a_missing_name_is_created_empty_and_reads_as_end_of_file) {
  scratch_dir dir;
  const std::string name = (dir / "wave.csv").string();
  textio::open_text_file(unit, name + "    ");  // trailing blanks are not part of the name
  EXPECT_TRUE(std::filesystem::exists(name));
  textio::read_free_record(unit);  // the header skip of an empty file passes
  float t = 0, a = 0;
  EXPECT_FALSE(textio::read_free_record(unit, {&t, &a}, true));
  EXPECT_FALSE(textio::read_free_record(unit, {&t, &a}, true));  // and again, at its start
  textio::close_text_file(unit);
  EXPECT_EQ(read_file(name), "");
}

TEST(files, written_records_replace_the_old_contents_exactly) {
  scratch_dir dir;
  const auto name = dir / "table.csv";
  write_file(name, crlf({"old line one, rather long", "old line two", "old three", "old 4"}));
  textio::open_text_file(unit, name.string());
  textio::write_pattern_record(unit, "('period(sec),kokuji1461',20(',Iteration No.',I3))", {1});
  textio::write_pattern_record(unit, "(F8.4,20(',',E12.4))", {0.02f, 800.0f, -0.012345f});
  textio::close_text_file(unit);
  EXPECT_EQ(read_file(name), crlf({"period(sec),kokuji1461,Iteration No.  1,Iteration No.",
                                   "  0.0200,  0.8000E+03, -0.1235E-01,"}));
}

TEST(files, a_file_opened_but_not_written_keeps_its_contents) {
  scratch_dir dir;
  const auto name = dir / "keep.csv";
  const std::string old = crlf({"h", "1,2", "3,4"});
  write_file(name, old);
  textio::open_text_file(unit, name.string());
  textio::read_free_record(unit);
  textio::close_text_file(unit);
  EXPECT_EQ(read_file(name), old);
}

TEST(files, pairs_read_until_the_end_of_the_file) {
  const struct {
    const char* contents;
    int pairs;
  } rows[] = {
      {"time,acc\n0,1\n0.01 2\r\n0.02,3\n", 3},
      {"time,acc\r\n0,1\r\n0.01,2\r\n0.02,3", 3},   // last record without a line end
      {"time,acc\r\n0,1\r\n0.01,2\r\n0.02,3,", 2},  // ...and a comma after its last value
      {"time,acc\n0,1\n\n\n0.01,2\n", 2},           // empty records are passed over
      {"time,acc\n0\n1\n0.01\n2\n", 2},             // a pair may span two records
      {"time,acc\n0,1\n0.01,2\n0.02\n", 2},         // a pair cut short is not counted
      {"", 0},
      {"time,acc", 0},
  };
  for (const auto& r : rows) {
    scratch_dir dir;
    write_file(dir / "w.csv", r.contents);
    textio::open_text_file(unit, (dir / "w.csv").string());
    textio::read_free_record(unit);
    std::array<float, 8> t{}, a{};
    int n = 0;
    while (n < 8 && textio::read_free_record(unit, {&t[n], &a[n]}, true)) ++n;
    textio::close_text_file(unit);
    EXPECT_EQ(n, r.pairs) << r.contents;
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(a[i], static_cast<float>(i + 1)) << r.contents;
      EXPECT_EQ(t[i], 0.01f * static_cast<float>(i)) << r.contents;
    }
  }
}

// A read and a write of one unit each begin where the other stopped; the file is cut only when
// a write came last.
TEST(files, reads_and_writes_meet_where_the_other_stopped) {
  const struct {
    const char* old;  // nullptr: no such file, open creates it
    bool read_first;
    const char* contents;  // after the close
    int pairs;             // pairs read after the write
  } rows[] = {
      {"header\r\n1,2\r\n3,4\r\n5,6\r\n", true, "header\r\n new 7\r\n", 0},
      {" old\r\n1,2\r\n3,4\r\n", false, " new\r\n1,2\r\n3,4\r\n", 2},
      {nullptr, false, " new\r\n", 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.old ? r.old : "created");
    scratch_dir dir;
    const auto name = dir / "mixed.csv";
    if (r.old != nullptr) write_file(name, r.old);
    textio::open_text_file(unit, name.string());
    int pairs = 0;
    if (r.read_first) {
      textio::read_free_record(unit);
      textio::write_free_record(unit, {"new", 7});
    } else {
      textio::write_free_record(unit, {"new"});
      float t = 0, a = 0;
      while (pairs < 8 && textio::read_free_record(unit, {&t, &a}, true)) {
        ++pairs;
        EXPECT_EQ(a, static_cast<float>(2 * pairs));
      }
    }
    textio::close_text_file(unit);
    EXPECT_EQ(pairs, r.pairs);
    EXPECT_EQ(read_file(name), r.contents);
  }
}

TEST(files, a_long_table_passes_through_the_buffer_whole) {
  scratch_dir dir;
  const auto name = dir / "wave.csv";
  std::string expected = crlf({" time(sec),seed-Acc(gal)"});
  textio::open_text_file(unit, name.string());
  textio::write_free_record(unit, {"time(sec),seed-Acc(gal)"});
  for (int i = 0; i < 20000; ++i) {
    textio::write_pattern_record(unit, "(F8.2,',',E12.4)", {0.0, 1.0});
    expected += "    0.00,  0.1000E+01\r\n";
  }
  textio::close_text_file(unit);
  EXPECT_EQ(read_file(name), expected);
}

TEST(files, names_keep_leading_blanks_and_lose_trailing_ones) {
  scratch_dir dir;
  const auto here = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());  // a name with a leading blank is relative
  textio::open_text_file(unit, "  x.csv   ");
  textio::write_free_record(unit, {"a"});
  textio::close_text_file(unit);
  std::filesystem::current_path(here);
  EXPECT_EQ(read_file(dir / "  x.csv"), crlf({" a"}));
}

}  // namespace
