// The free-form read over text in memory: the same list read as a unit's, on a string source.
#include "textio/detail/scan.h"
#include "textio/textio.h"

namespace textio {

struct list_reader::state {
  explicit state(std::string_view t) : text(t), src(t) {}
  std::string_view text;
  detail::string_source src;
};

list_reader::list_reader(std::string_view text) : state_(std::make_unique<state>(text)) {}
list_reader::~list_reader() = default;

list_status list_reader::read(std::span<const target> targets) {
  using enum detail::scan_error;
  // As a unit does: once the end of the text has been met, every later read meets it at once.
  if (state_->src.at_eof()) return list_status::end;
  switch (detail::read_list(state_->src, targets)) {
    case none:
      return list_status::values;
    case end_of_file:
      return list_status::end;
    case late_end_of_file:
      return list_status::cut;
    case invalid_number:
      return list_status::invalid_number;
    case exponent_field:
      return list_status::exponent_field;
    case bad_repetition_count:
      return list_status::bad_repetition_count;
    case invalid_integer:
      return list_status::invalid_integer;
    case integer_overflow:
      return list_status::integer_overflow;
  }
  return list_status::end;
}

std::size_t list_reader::position() const {
  return state_->src.pos();
}

}  // namespace textio
