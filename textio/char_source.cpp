#include "textio/detail/scan.h"

namespace textio::detail {

int char_source::get() {
  if (pushed_ != none) {
    const int c = pushed_;
    pushed_ = none;
    return c;
  }
  if (at_eof_) return eof;
  const int c = next_raw();
  if (c == eof) {
    at_eof_ = true;
    return eof;
  }
  // A CR immediately before the LF belongs to the line end.
  if (c == '\r' && peek_raw() == '\n') return next_raw();
  return c;
}

}  // namespace textio::detail
