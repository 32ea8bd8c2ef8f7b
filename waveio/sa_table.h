// A design spectrum given as a table: the file a site study hands over.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/file_error.h"

namespace waveio {

using files::file_error;

struct sa_table {
  std::vector<double> periods;  // s, strictly increasing, > 0
  std::vector<double> sa;       // gal, > 0
};

struct sa_table_result {
  sa_table table;
  std::optional<file_error> error;
  bool ok() const { return !error; }
};

// Two numbers per line, period (s) then Sa (gal), separated by blanks, tabs or commas; '#' starts
// a comment to the end of the line; blank and comment lines are passed over. Fails, with the line,
// on a line without exactly two numbers, a period not above the one before it (the first above
// 0), an Sa not above 0; and, for the file as a whole, on fewer than two rows.
sa_table_result parse_sa_table(std::string_view text, const std::string& file);

}  // namespace waveio
