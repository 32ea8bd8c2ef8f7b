// The unit table: connections to the console and to named files, their buffers, open and close.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "textio/detail/layer.h"
#include "textio/textio.h"

namespace textio::detail {
namespace {

constexpr std::size_t read_block = 65536;
constexpr std::size_t write_block = 65536;

// The console units are connected from the first use of the table, so the layer works even
// before start_run (start_run connects them afresh).
void connect_consoles(std::array<unit, max_unit + 1>& units) {
  const struct {
    int n, fd;
    bool read;
  } consoles[] = {{error_unit, 2, false}, {console_in, 0, true}, {console_out, 1, false}};
  for (const auto& c : consoles) {
    unit& u = units[static_cast<std::size_t>(c.n)];
    u = unit{};
    u.connected = true;
    u.console = true;
    u.fd = c.fd;
    u.can_read = c.read;
    u.can_write = !c.read;
    u.seekable = ::isatty(c.fd) == 0;
    u.in.attach(c.fd);
  }
}

std::array<unit, max_unit + 1>& table() {
  static std::array<unit, max_unit + 1> units = [] {
    std::array<unit, max_unit + 1> t;
    connect_consoles(t);
    return t;
  }();
  return units;
}

// Hands bytes to the descriptor whole; false with errno set when the system refuses them.
bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The records held for a file go to the system; a refusal ends the run.
void flush_unit(unit& u) {
  if (u.out.empty()) return;
  const bool ok = write_all(u.fd, u.out);
  const int err = errno;
  u.out.clear();  // lost either way: the shutdown must not try them again
  if (!ok) report_system_error("write", err);
}

// The position the program has reached: the descriptor's, less what was read ahead.
off_t logical_position(unit& u) {
  const off_t at = ::lseek(u.fd, 0, SEEK_CUR);
  if (at < 0) return 0;
  return at - static_cast<off_t>(u.in.unread()) + static_cast<off_t>(u.out.size());
}

// Replaces the unit's descriptor by a new one on the same file at the same position.
void switch_descriptor(unit& u, int fd) {
  flush_unit(u);
  const off_t at = logical_position(u);
  ::lseek(fd, at, SEEK_SET);
  ::close(u.fd);
  u.fd = fd;
  u.in.attach(fd);
}

int open_name(const std::string& name, int flags) {
  int fd;
  do fd = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

void unit_source::attach(int fd) {
  fd_ = fd;
  if (buf_.empty()) buf_.resize(read_block);
  pos_ = len_ = 0;
  raw_eof_ = false;
  error_ = 0;
}

void unit_source::drop_buffer() {
  pos_ = len_ = 0;
  raw_eof_ = false;
  reset();
}

bool unit_source::fill() {
  if (pos_ < len_) return true;
  if (raw_eof_) return false;
  ssize_t n;
  {
    const input_wait wait;
    do n = ::read(fd_, buf_.data(), buf_.size());
    while (n < 0 && errno == EINTR);
  }
  if (n <= 0) {
    if (n < 0) error_ = errno;
    raw_eof_ = true;
    return false;
  }
  pos_ = 0;
  len_ = static_cast<std::size_t>(n);
  return true;
}

int unit_source::next_raw() {
  return fill() ? static_cast<unsigned char>(buf_[pos_++]) : eof;
}
int unit_source::peek_raw() {
  return fill() ? static_cast<unsigned char>(buf_[pos_]) : eof;
}

unit& unit_at(int n) {
  return table()[static_cast<std::size_t>(n)];
}

void connect_console_units() {
  connect_consoles(table());
  // Built now, before the shutdown is registered at exit, so it outlives the shutdown.
  transfer();
}

transfer_state& transfer() {
  static transfer_state t;
  return t;
}

void close_unit(int n) {
  unit& u = unit_at(n);
  if (!u.connected) return;
  if (!u.console) {
    flush_unit(u);
    if (u.last_was_write && u.seekable) {
      const off_t at = logical_position(u);
      struct stat st {};
      if (::fstat(u.fd, &st) == 0 && st.st_size > at && ::ftruncate(u.fd, at) != 0) {
        u.connected = false;
        ::close(u.fd);
        report_fatal_io("endfile", "truncation failed in endfile");
      }
    }
    u.connected = false;
    if (::close(u.fd) != 0 && errno != EINTR) report_system_error("close", errno);
  }
  u.connected = false;
  u.named = false;
  u.name = std::string();  // the copy of the name is freed with the connection
  u.in.drop_buffer();
  u.last_was_write = false;
}

}  // namespace textio::detail

namespace textio {

using detail::unit;

void open_text_file(int n, std::string_view name) {
  const detail::signal_guard guard;
  detail::transfer().unit = n;
  if (n < 0 || n > detail::max_unit) detail::report_fatal_io("open", "illegal unit number");
  detail::close_unit(n);
  unit& u = detail::unit_at(n);
  const std::size_t last = name.find_last_not_of(' ');
  name = last == std::string_view::npos ? std::string_view() : name.substr(0, last + 1);
  u.named = true;
  u.name.assign(name);
  if (name.empty()) detail::report_fatal_io("open", "null file name");
  u.can_read = u.can_write = false;
  int fd = detail::open_name(u.name, O_RDWR);
  if (fd >= 0) {
    u.can_read = u.can_write = true;
  } else if ((fd = detail::open_name(u.name, O_RDONLY)) >= 0) {
    u.can_read = true;
  } else if ((fd = detail::open_name(u.name, O_WRONLY | O_CREAT)) >= 0) {
    u.can_write = true;
  } else {
    detail::report_system_error("open", errno);
  }
  u.fd = fd;
  u.connected = true;
  u.console = false;
  u.last_was_write = false;
  u.seekable = ::isatty(fd) == 0;
  u.out.clear();
  u.in.attach(fd);
  u.in.reset();
}

void close_text_file(int n) {
  const detail::signal_guard guard;
  if (n < 0 || n > detail::max_unit) return;
  detail::close_unit(n);
}

}  // namespace textio

namespace textio::detail {

// Readies a unit for a read: reopened for reading if open had to create it, records held for
// it written out. Returns false when the unit has already met the end of its file.
bool begin_read(int n) {
  unit& u = unit_at(n);
  if (!u.connected) report_fatal_io("read start", "unit not connected");
  if (u.in.at_eof()) return false;
  if (!u.can_read) {
    int fd = u.named ? open_name(u.name, O_RDWR) : -1;
    if (fd >= 0) {
      u.can_write = true;
    } else if (u.named) {
      fd = open_name(u.name, O_RDONLY);
      u.can_write = false;
    }
    if (fd < 0) report_fatal_io("read start", "can't read file");
    switch_descriptor(u, fd);
    u.can_read = true;
  }
  flush_unit(u);
  u.last_was_write = false;
  return true;
}

// Readies a unit for a write: reopened for writing if it was opened for reading only.
void begin_write(int n, std::string_view context) {
  unit& u = unit_at(n);
  if (!u.connected) report_fatal_io(context, "unit not connected");
  if (!u.can_write) {
    const int fd = u.named ? open_name(u.name, O_RDWR) : -1;
    if (fd < 0) report_fatal_io(context, "can't write file");
    switch_descriptor(u, fd);
    u.can_write = true;
  } else if (u.in.unread() > 0 && !u.console) {
    // Characters read ahead go back, so the record lands where the reading stopped.
    ::lseek(u.fd, -static_cast<off_t>(u.in.unread()), SEEK_CUR);
  }
  if (!u.console) u.in.drop_buffer();
  u.last_was_write = true;
}

// One finished record (without its line end) to the unit.
void send_record(int n, std::string& record) {
  unit& u = unit_at(n);
  record += "\r\n";
  if (u.console) {
    // The console gets each record at once, so a prompt shows before the answer is read.
    if (!write_all(u.fd, record)) report_system_error("write", errno);
  } else {
    u.out += record;
    if (u.out.size() >= write_block) flush_unit(u);
  }
  record.clear();
}

}  // namespace textio::detail
