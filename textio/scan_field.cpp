// Fixed-width input: the first characters of the next record into a text of that width.
#include "textio/detail/scan.h"

namespace textio::detail {

scan_error read_field(char_source& src, std::span<char> text) {
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const int c = src.get();
    if (c == char_source::eof) return scan_error::end_of_file;
    if (c == '\n') break;
    text[i] = static_cast<char>(c);
  }
  const bool line_ended = i < text.size();
  for (; i < text.size(); ++i) text[i] = ' ';
  if (!line_ended) {
    // The characters past the width go with the rest of the record.
    for (int c = src.get(); c != '\n' && c != char_source::eof; c = src.get()) {
    }
  }
  return scan_error::none;
}

}  // namespace textio::detail
