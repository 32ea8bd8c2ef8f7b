// A named pipe in place of a result file, read only once the test releases it: a program that
// writes to it waits in the middle of a write, so a signal sent meanwhile always meets that
// state, never a run that has already finished.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace testsupport {

class held_pipe {
 public:
  // brimful: filled before the program starts, so that its very first write waits.
  explicit held_pipe(const std::filesystem::path& path, bool brimful = false);
  ~held_pipe();
  held_pipe(const held_pipe&) = delete;
  held_pipe& operator=(const held_pipe&) = delete;

  // The bytes put in before the program started.
  std::size_t brim() const { return brim_; }
  // Whether the pipe holds all it can: a writer waits.
  bool full() const;
  // Starts reading.
  void release() { go_ = true; }
  // Releases the pipe and returns everything read, once the writer has closed it (or after
  // a minute).
  std::string finish();

 private:
  int fd_ = -1;
  std::size_t brim_ = 0;
  int capacity_ = 0;
  std::atomic<bool> go_{false};
  std::string got_;
  std::thread reader_;
};

}  // namespace testsupport
