#include "files/output_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace files {
namespace {

file_error cannot_write(const std::string& name, int err) {
  return {name, 0, std::string("cannot be written: ") + std::strerror(err)};
}

// The file a name finally stands for, every symbolic link followed (a dangling link gives the
// name it points to, which is then created). Gives the errno of a loop or a failed look-up.
int follow_links(std::filesystem::path& p, struct stat& st, bool& exists) {
  for (int hops = 0; hops < 40; ++hops) {
    if (::lstat(p.c_str(), &st) != 0) {
      exists = false;
      return errno == ENOENT ? 0 : errno;
    }
    if (!S_ISLNK(st.st_mode)) {
      exists = true;
      return 0;
    }
    std::error_code ec;
    const std::filesystem::path to = std::filesystem::read_symlink(p, ec);
    if (ec) return ec.value();
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  return ELOOP;
}

mode_t new_file_mode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool write_all(int fd, std::string_view text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::optional<std::string> read_text(const std::filesystem::path& path, file_error& error) {
  if (path == standard_stream) {
    std::string text{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
    if (std::cin.bad()) {
      error = file_error{std::string(standard_input_name), 0, "cannot be read"};
      return std::nullopt;
    }
    return text;
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    error = file_error{path.string(), 0, std::string("cannot be read: ") + std::strerror(EISDIR)};
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = file_error{path.string(), 0, std::string("cannot be read: ") + std::strerror(errno)};
    return std::nullopt;
  }
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) {
    error = file_error{path.string(), 0, "cannot be read"};
    return std::nullopt;
  }
  return std::move(s).str();
}

std::optional<std::string> not_a_file(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::file_status s = std::filesystem::status(path, ec);
  switch (s.type()) {
    case std::filesystem::file_type::regular:
      return std::nullopt;
    case std::filesystem::file_type::directory:
      return "is a folder, not a file";
    case std::filesystem::file_type::fifo:
      return "is a FIFO, not a file";
    case std::filesystem::file_type::not_found:
      return "no such file";
    default:
      return "is not a regular file";
  }
}

output_files::~output_files() {
  discard();
}

void output_files::discard() {
  for (output& o : outputs_) {
    if (o.fd >= 0) ::close(o.fd);
    o.fd = -1;
    if (!o.temporary.empty()) std::remove(o.temporary.c_str());
    o.temporary.clear();
  }
}

bool output_files::to_standard_output() const {
  for (const output& o : outputs_) {
    if (o.how == kind::standard_output) return true;
  }
  return false;
}

std::optional<file_error> output_files::add(const std::filesystem::path& path, at_link links) {
  output o;
  o.name = path.string();
  if (path == standard_stream) {
    if (to_standard_output()) return file_error{o.name, 0, "standard output takes one output"};
    o.how = kind::standard_output;
    outputs_.push_back(std::move(o));
    return std::nullopt;
  }
  std::filesystem::path p = path;
  struct stat st {};
  bool exists = false;
  if (links == at_link::follow) {
    if (const int err = follow_links(p, st, exists)) return cannot_write(o.name, err);
  } else if (::lstat(p.c_str(), &st) != 0) {
    if (errno != ENOENT) return cannot_write(o.name, errno);
  } else {
    exists = !S_ISLNK(st.st_mode);  // a link is replaced as a new file
  }
  o.target = p.string();
  for (const output& other : outputs_) {
    if (other.how != kind::standard_output &&
        std::filesystem::path(other.target).lexically_normal() == p.lexically_normal()) {
      return file_error{o.name, 0, "is named twice among the outputs"};
    }
  }
  if (exists && S_ISDIR(st.st_mode)) return cannot_write(o.name, EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a FIFO is the user's channel: written where it is, never replaced.
    if (::access(p.c_str(), W_OK) != 0) return cannot_write(o.name, errno);
    o.how = kind::in_place;
    outputs_.push_back(std::move(o));
    return std::nullopt;
  }
  o.mode = exists ? static_cast<unsigned>(st.st_mode & 07777) : new_file_mode();
  const std::filesystem::path folder = p.has_parent_path() ? p.parent_path() : ".";
  o.pattern = (folder / ("." + p.filename().string() + ".XXXXXX")).string();
  // The proof that the temporary can be made; it is made again at the commit, so that an
  // interrupted computation leaves nothing behind.
  std::string probe = o.pattern;
  const int fd = ::mkstemp(probe.data());
  if (fd < 0) return cannot_write(o.name, errno);
  ::close(fd);
  std::remove(probe.c_str());
  outputs_.push_back(std::move(o));
  return std::nullopt;
}

std::optional<file_error> output_files::commit(std::span<const std::string_view> texts) {
  const auto fail = [this](const std::string& name, int err) {
    discard();
    return cannot_write(name, err);
  };
  for (std::size_t k = 0; k < outputs_.size(); ++k) {
    output& o = outputs_[k];
    if (o.how != kind::replaced) continue;
    o.temporary = o.pattern;
    o.fd = ::mkstemp(o.temporary.data());
    if (o.fd < 0) {
      o.temporary.clear();
      return fail(o.name, errno);
    }
    const bool written = write_all(o.fd, texts[k]);
    const int saved = errno;
    if (!written) return fail(o.name, saved);
    if (::fchmod(o.fd, static_cast<mode_t>(o.mode)) != 0) return fail(o.name, errno);
    const int fd = o.fd;
    o.fd = -1;
    if (::close(fd) != 0) return fail(o.name, errno);
  }
  for (std::size_t k = 0; k < outputs_.size(); ++k) {
    const output& o = outputs_[k];
    if (o.how == kind::standard_output) {
      std::cout << texts[k] << std::flush;
      if (!std::cout) return fail(o.name, EIO);
    } else if (o.how == kind::in_place) {
      const int fd = ::open(o.target.c_str(), O_WRONLY | O_CLOEXEC);
      if (fd < 0) return fail(o.name, errno);
      const bool written = write_all(fd, texts[k]);
      const int saved = errno;
      if (::close(fd) != 0 || !written) return fail(o.name, written ? errno : saved);
    }
  }
  for (output& o : outputs_) {
    if (o.how != kind::replaced) continue;
    if (std::rename(o.temporary.c_str(), o.target.c_str()) != 0) return fail(o.name, errno);
    o.temporary.clear();
  }
  outputs_.clear();
  return std::nullopt;
}

std::optional<file_error> write_atomically(const std::filesystem::path& path, std::string_view text,
                                           at_link links) {
  output_files out;
  if (auto e = out.add(path, links)) return e;
  const std::string_view texts[] = {text};
  return out.commit(texts);
}

}  // namespace files
