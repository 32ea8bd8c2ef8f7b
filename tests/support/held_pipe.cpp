#include "held_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace testsupport {

held_pipe::held_pipe(const std::filesystem::path& path, bool brimful) {
  if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo");
  fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0) throw std::runtime_error("open fifo");
  capacity_ = ::fcntl(fd_, F_GETPIPE_SZ);
  if (brimful) {
    const int w = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    const std::string block(4096, 'x');
    for (ssize_t n; (n = ::write(w, block.data(), block.size())) > 0;) {
      brim_ += static_cast<std::size_t>(n);
    }
    ::close(w);  // what it wrote stays in the pipe while this end is open
  }
  reader_ = std::thread([this] {
    while (!go_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    char buf[65536];
    while (std::chrono::steady_clock::now() < deadline) {
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n == 0) break;  // empty, and the writer has closed its end
      if (n > 0) got_.append(buf, static_cast<std::size_t>(n));
      pollfd p{fd_, POLLIN, 0};
      if (n < 0) ::poll(&p, 1, 10);
    }
  });
}

held_pipe::~held_pipe() {
  go_ = true;
  if (reader_.joinable()) reader_.join();
  ::close(fd_);
}

bool held_pipe::full() const {
  int n = 0;
  return ::ioctl(fd_, FIONREAD, &n) == 0 && n == capacity_;
}

std::string held_pipe::finish() {
  go_ = true;
  if (reader_.joinable()) reader_.join();
  return got_;
}

}  // namespace testsupport
