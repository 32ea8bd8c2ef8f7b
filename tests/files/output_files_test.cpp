// The writer that never leaves half a file: one output or several, replaced whole or not at all,
// through links, onto devices, keeping permission bits.
#include "files/output_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <thread>
#include <vector>

#include "run_program.h"

namespace {

using testsupport::read_file;
using testsupport::scratch_dir;
using testsupport::write_file;

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
  // A mask that leaves the group its write bit tells 0666 & ~umask from a fixed 0644.
  const mode_t mask = ::umask(002);
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
      {"dangling.csv", "real/new.csv", 0664},
      {"plain.csv", "plain.csv", 0664},
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

}  // namespace
