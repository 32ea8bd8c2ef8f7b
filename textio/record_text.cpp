#include "textio/detail/pattern.h"
#include "textio/detail/render.h"
#include "textio/textio.h"

namespace textio {
namespace {

// Records collected into one text, each ended by CR LF as the units end them.
class text_records : public detail::record_writer {
 public:
  std::string text;
  void end_record() override {
    text += record;
    text += "\r\n";
    record.clear();
  }
};

}  // namespace

struct pattern_text::parsed {
  detail::parsed_pattern pattern;
};

std::string free_record_text(std::span<const item> items) {
  text_records out;
  detail::write_free_items(out, items);
  return std::move(out.text);
}

pattern_text::pattern_text(std::string_view pattern)
    : parsed_(std::make_unique<const parsed>(parsed{detail::parse_pattern(pattern)})) {}

pattern_text::~pattern_text() = default;

std::string pattern_text::records(std::span<const value> values) const {
  if (!parsed_->pattern.ok) return {};
  text_records out;
  detail::walk_pattern(parsed_->pattern, values, out);
  return std::move(out.text);
}

}  // namespace textio
