// The shared wave reader on both of fitwave's layouts, and the writer that never leaves half a
// file.
#include "operations/wave_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <thread>
#include <vector>

#include "operations/import.h"
#include "run_program.h"

namespace {

using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;

TEST(parse_wave, both_layouts_read_as_fitwave_reads_them) {
  struct row {
    const char* text;
    std::vector<float> acc;
    float dt;  // time(2) - time(1) in float, as fitwave takes it
  };
  const row rows[] = {
      {"time(s),acc(gal)\r\n0,1.5\r\n0.01,-2\r\n", {1.5f, -2.0f}, 0.01f},
      // fitwave's fitted wave: four values and a trailing comma; the second is the wave.
      {" time(sec),Acc(gal),eamp,eamp*ampfac\r\n"
       "  0.0000,  0.1000E+01,  0.0000E+00,  0.0000E+00,\r\n"
       "  0.0100, -0.2500E+01,  0.6250E-05,  0.9103E-01,\r\n",
       {1.0f, -2.5f},
       0.01f},
      // The step is the difference of the two times in float, not the decimal 0.01.
      {"h\n10.00 0.1\n\n10.01 0.2\n10.02 0.3\n", {0.1f, 0.2f, 0.3f}, 10.01f - 10.0f},
      // fitwave's grammar: a number ends where its characters end, the rest of the record is
      // passed over, and a pair may run on over lines.
      {"h\n0 1\n0.01 1x\n0.02\n3 junk\n", {1.0f, 1.0f, 3.0f}, 0.01f},
      // A byte-order mark is part of the header.
      {"\xEF\xBB\xBFtime(s),acc(gal)\r\n0,1.5\r\n0.01,-2\r\n", {1.5f, -2.0f}, 0.01f},
      // The largest float is finite; a null leaves zero, as in fitwave's fresh arrays.
      {"h\n0 3.4028234e38\n0.5,,\n", {3.4028234e38f, 0.0f}, 0.5f},
  };
  for (const row& r : rows) {
    const wavetool::wave_result w = wavetool::parse_wave(r.text, "w.csv");
    ASSERT_TRUE(w.ok()) << r.text << wavetool::describe(*w.error);
    EXPECT_EQ(w.w.acc, r.acc) << r.text;
    EXPECT_EQ(w.w.dt, r.dt) << r.text;
  }
}

TEST(parse_wave, unreadable_waves_name_file_and_line) {
  struct row {
    const char* text;
    const char* message;
  };
  const row rows[] = {
      {"time,acc\r\n",
       "wavetool: w.csv: expected a header line and at least 2 lines of time and acceleration, "
       "found 0"},
      {"time,acc\r\n0 1\r\n0.01\r\n",
       "wavetool: w.csv:3: expected a time and an acceleration, found \"0.01\""},
      {"time,acc\r\n0 1\r\n0.01 x1\r\n",
       "wavetool: w.csv:3: expected a time and an acceleration, found \"0.01 x1\""},
      // Beyond single precision, whether the decimal fits a double or not.
      {"time,acc\r\n0 1\r\n0.01 1e39\r\n0.02 1\r\n",
       "wavetool: w.csv:3: expected a time and an acceleration within single precision, found "
       "\"0.01 1e39\""},
      {"time,acc\r\n0 1\r\n0.01 1\r\n1e999 1\r\n",
       "wavetool: w.csv:4: expected a time and an acceleration within single precision, found "
       "\"1e999 1\""},
      {"time,acc\r\n0 -3.5e38\r\n",
       "wavetool: w.csv:2: expected a time and an acceleration within single precision, found "
       "\"0 -3.5e38\""},
      // fitwave would drop this last pair silently: it has no line end after extra text.
      {"time,acc\r\n0 1\r\n0.01 2\r\n0.02 3 junk",
       "wavetool: w.csv:4: expected a line end after the last time and acceleration (fitwave "
       "drops them without it), found \"0.02 3 junk\""},
      // The step is read where the second sample is, blank lines counted.
      {"time,acc\n\n0 1\n\n0 2\n",
       "wavetool: w.csv:5: expected a time after the first, found a step of 0 s"},
      {"time,acc\r\n0 1\r\n0 2\r\n",
       "wavetool: w.csv:3: expected a time after the first, found a "
       "step of 0 s"},
  };
  for (const row& r : rows) {
    const wavetool::wave_result w = wavetool::parse_wave(r.text, "w.csv");
    ASSERT_FALSE(w.ok()) << r.text;
    EXPECT_EQ(wavetool::describe(*w.error), r.message);
  }
  const scratch_dir dir;
  const wavetool::wave_result missing = wavetool::read_wave(dir / "none.csv");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error->message, "cannot be read: No such file or directory");
}

TEST(write_atomically, whole_file_or_nothing) {
  const scratch_dir dir;
  const auto names = [&dir] {
    std::vector<std::string> n;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      n.push_back(e.path().filename().string());
    std::sort(n.begin(), n.end());
    return n;
  };
  // A new file, then the same name replaced.
  EXPECT_FALSE(files::write_atomically(dir / "w.csv", "one\r\n"));
  EXPECT_FALSE(files::write_atomically(dir / "w.csv", "two\r\n"));
  EXPECT_EQ(read_file(dir / "w.csv"), "two\r\n");
  // A folder that does not exist: nothing is created.
  const auto missing = files::write_atomically(dir / "no" / "w.csv", "x");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->message, "cannot be written: No such file or directory");
  // A folder in the way of the name: it stays, and no temporary file is left beside it.
  std::filesystem::create_directory(dir / "d");
  const auto blocked = files::write_atomically(dir / "d", "x");
  ASSERT_TRUE(blocked);
  EXPECT_EQ(blocked->message, "cannot be written: Is a directory");
  EXPECT_TRUE(std::filesystem::is_directory(dir / "d"));
  EXPECT_EQ(names(), (std::vector<std::string>{"d", "w.csv"}));
}

// What an output is decides how it is written: a regular file (or a new name) through a temporary
// beside the file a link points to, the link kept; a device in place; the permission bits of a
// file kept, those of a new one 0666 & ~umask.
TEST(write_atomically, links_devices_and_permission_bits) {
  namespace fs = std::filesystem;
  const scratch_dir dir;
  const mode_t mask = ::umask(022);
  const auto mode_of = [](const fs::path& p) {
    struct stat st {};
    ::stat(p.c_str(), &st);
    return st.st_mode & 07777;
  };
  fs::create_directory(dir / "real");
  write_file(dir / "real" / "kept.csv", "old\r\n");
  ::chmod((dir / "real" / "kept.csv").c_str(), 0600);
  fs::create_symlink("real/kept.csv", dir / "link.csv");
  fs::create_symlink("real/new.csv", dir / "dangling.csv");
  struct row {
    const char* name;  // written
    const char* file;  // what holds the text afterwards
    unsigned mode;     // of that file
  };
  const row rows[] = {
      {"link.csv", "real/kept.csv", 0600},
      {"dangling.csv", "real/new.csv", 0644},
      {"plain.csv", "plain.csv", 0644},
      {"real/kept.csv", "real/kept.csv", 0600},
  };
  for (const row& r : rows) {
    ASSERT_FALSE(files::write_atomically(dir / r.name, r.name)) << r.name;
    EXPECT_EQ(read_file(dir / r.file), r.name);
    EXPECT_EQ(mode_of(dir / r.file), r.mode) << r.name;
  }
  EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.csv"));
  // No temporary is left in either folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "real"), fs::directory_iterator()), 2);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 4);
  // A device is written where it is and stays a device.
  EXPECT_FALSE(files::write_atomically("/dev/null", "x"));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  // A FIFO too: its reader gets the text, and it stays a FIFO.
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0644), 0);
  // The read end is open before the write, and a write end of the test's own keeps the reader
  // from blocking for ever if the FIFO were replaced: closing it ends the reader's file.
  const int rd = ::open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(rd, 0);
  ::fcntl(rd, F_SETFL, 0);
  const int keep = ::open((dir / "pipe").c_str(), O_WRONLY);
  ASSERT_GE(keep, 0);
  std::string got;
  std::thread reader([&] {
    char buffer[256];
    for (ssize_t n; (n = ::read(rd, buffer, sizeof buffer)) > 0;) {
      got.append(buffer, static_cast<std::size_t>(n));
    }
  });
  EXPECT_FALSE(files::write_atomically(dir / "pipe", "through the pipe"));
  ::close(keep);
  reader.join();
  ::close(rd);
  EXPECT_EQ(got, "through the pipe");
  EXPECT_TRUE(fs::is_fifo(dir / "pipe"));
  ::umask(mask);
}

// Every output or none: the second output's folder is missing, so the first is never touched;
// when both can be written, both are.
TEST(output_files, all_or_none) {
  const scratch_dir dir;
  write_file(dir / "keep.csv", "kept\r\n");
  {
    files::output_files out;
    EXPECT_FALSE(out.add(dir / "keep.csv"));
    const auto e = out.add(dir / "nodir" / "s.csv");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->message, "cannot be written: No such file or directory");
    EXPECT_TRUE(out.add(dir / "keep.csv"));  // the same file twice
  }
  EXPECT_EQ(read_file(dir / "keep.csv"), "kept\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
  files::output_files out;
  ASSERT_FALSE(out.add(dir / "keep.csv"));
  ASSERT_FALSE(out.add(dir / "s.csv"));
  const std::string_view texts[] = {"one", "two"};
  ASSERT_FALSE(out.commit(texts));
  EXPECT_EQ(read_file(dir / "keep.csv"), "one");
  EXPECT_EQ(read_file(dir / "s.csv"), "two");
}

// fitwave takes dt = time(2) - time(1) in float, each time read to double and then to float.
TEST(wave_text, times_give_the_step_in_float_and_values_read_back) {
  const std::vector<float> gal{1.0f, -0.1f, 1e-7f, 123456.789f, 0.0f};
  for (const double dt : {0.005, 0.01, 0.02, 0.0025, 1.0 / 3.0, 1.0 / 200.0, 0.1}) {
    const std::string text = wavetool::wave_text(gal, dt);
    ASSERT_TRUE(text.starts_with("time(s),acc(gal)\r\n")) << dt;
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    const wavetool::wave_result w = wavetool::parse_wave(text, "w.csv");
    ASSERT_TRUE(w.ok()) << dt;
    EXPECT_EQ(w.w.dt, static_cast<float>(dt)) << dt;
    EXPECT_EQ(w.w.acc, gal) << dt;
  }
}

TEST(window_of, samples_between_start_and_end) {
  struct row {
    std::optional<double> start, end;
    std::size_t first, count;
  };
  // Ten samples at 0.01 s: times 0 to 0.09.
  const row rows[] = {
      {std::nullopt, std::nullopt, 0, 10},
      {0.02, std::nullopt, 2, 8},
      {std::nullopt, 0.03, 0, 4},
      {0.015, 0.035, 2, 2},
      {0.03, 0.03, 3, 1},
      {0.5, std::nullopt, 0, 0},
      {std::nullopt, 5.0, 0, 10},
  };
  for (const row& r : rows) {
    const wavetool::sample_range s = wavetool::window_of(10, 0.01, r.start, r.end);
    EXPECT_EQ(s.first, r.first) << r.start.value_or(-1) << " " << r.end.value_or(-1);
    EXPECT_EQ(s.count, r.count) << r.start.value_or(-1) << " " << r.end.value_or(-1);
  }
}

}  // namespace
