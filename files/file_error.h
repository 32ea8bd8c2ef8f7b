// A failure tied to a file, and to a line of it, as every reader and writer of files returns it;
// the program decides how to show it.
#pragma once

#include <string>

namespace files {

struct file_error {
  std::string file;
  int line = 0;  // from 1; 0 when the failure concerns the file as a whole
  std::string message;
};

}  // namespace files
