// Where wavetool reads its input and how it writes its outputs: "-" is standard input or output;
// a file is replaced whole or not at all, every output of a command together.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_error.h"

namespace files {

// The name that stands for standard input or standard output.
inline constexpr std::string_view standard_stream = "-";
// How standard input is named in messages.
inline constexpr std::string_view standard_input_name = "standard input";

// The whole file as text ("-": standard input), or an error naming it (a folder: "cannot be
// read: Is a directory").
std::optional<std::string> read_text(const std::filesystem::path& path, file_error& error);

// What an output that is a symbolic link stands for: the file it names (replaced, the link
// stays), or the link itself (replaced by the file; what it named is left as it was).
enum class at_link { follow, replace };

// Why path is not a file to read before any work, in the user's terms ("no such file", "is a
// folder, not a file", "is a FIFO, not a file": reading one would wait for a writer), or nothing.
std::optional<std::string> not_a_file(const std::filesystem::path& path);

// The outputs of one command. Each is checked as it is added, before any computation: for a
// regular file, or a name not yet taken, a temporary file is made and removed beside it (beside
// a symbolic link's target, so the link stays), and made again by commit; a device, FIFO or
// other special file is written in place; "-" is standard output. commit writes them all or
// none: every temporary first, then the outputs written in place, then every rename. A replaced
// file keeps its permission bits; a new one gets 0666 & ~umask. Nothing is left behind by an output
// that is never committed.
class output_files {
 public:
  output_files() = default;
  output_files(const output_files&) = delete;
  output_files& operator=(const output_files&) = delete;
  ~output_files();

  std::optional<file_error> add(const std::filesystem::path& path, at_link links = at_link::follow);
  // texts[k] for the k-th output added.
  std::optional<file_error> commit(std::span<const std::string_view> texts);
  // Whether one of the outputs is standard output (the console then keeps to standard error).
  bool to_standard_output() const;

 private:
  enum class kind { replaced, in_place, standard_output };
  struct output {
    std::string name;       // as given, for messages
    std::string target;     // the file written, links followed
    std::string pattern;    // of the temporary's name (replaced only)
    std::string temporary;  // made at the commit
    int fd = -1;            // of the temporary
    unsigned mode = 0;      // permission bits the file ends with
    kind how = kind::replaced;
  };
  void discard();
  std::vector<output> outputs_;
};

// One output, written as output_files writes it.
std::optional<file_error> write_atomically(const std::filesystem::path& path, std::string_view text,
                                           at_link links = at_link::follow);

}  // namespace files
