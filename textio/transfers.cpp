// The four transfers: free-form and pattern output, free-form and fixed-width input.
#include <new>
#include <string>

#include "textio/detail/layer.h"
#include "textio/detail/pattern.h"
#include "textio/detail/render.h"
#include "textio/detail/scan.h"
#include "textio/textio.h"

namespace textio {
namespace {

using detail::report_fatal_io;
using detail::transfer;

constexpr std::size_t first_record_capacity = 400;

// The record buffer: 400 bytes at first, 1024 at its first growth, doubled after that.
class unit_writer : public detail::record_writer {
 public:
  explicit unit_writer(int n) : unit_(n) {}
  void end_record() override { detail::send_record(unit_, record); }

 private:
  int unit_;
};

std::string& shared_record() {
  static std::string rec = [] {
    std::string s;
    s.reserve(first_record_capacity);
    return s;
  }();
  return rec;
}

// The shared buffer lends its storage to a writer for one transfer.
struct record_loan {
  explicit record_loan(unit_writer& w) : w_(w) { w_.record.swap(shared_record()); }
  ~record_loan() {
    w_.record.clear();
    w_.record.swap(shared_record());
  }
  unit_writer& w_;
};

void check_unit(int n, std::string_view context) {
  if (n < 0 || n > detail::max_unit) report_fatal_io(context, "illegal unit number");
}

void begin(int n, bool reading, std::string_view pattern) {
  auto& t = transfer();
  t.unit = n;
  t.reading = reading;
  t.pattern.assign(pattern);
}

[[noreturn]] void out_of_space() {
  report_fatal_io("malloc failure", "out of free space");
}

// The report of a free-form read that cannot go on: the context and the message of its failure.
[[noreturn]] void report_scan_failure(detail::scan_error e) {
  using enum detail::scan_error;
  switch (e) {
    case invalid_number:
      report_fatal_io("invalid number", "incomprehensible list input");
    case exponent_field:
      report_fatal_io("exponent field", "incomprehensible list input");
    case bad_repetition_count:
      report_fatal_io("bad repetition count", "incomprehensible list input");
    case invalid_integer:
      report_fatal_io("invalid integer", "read unexpected character");
    case integer_overflow:
      report_fatal_io("invalid integer", "integer overflow");
    case none:
    case end_of_file:
    case late_end_of_file:
      break;
  }
  report_fatal_io("list in", "end of file");
}

}  // namespace

void write_free_record(int n, std::initializer_list<item> items) {
  write_free_record(n, std::span<const item>(items.begin(), items.size()));
}

void write_free_record(int n, std::span<const item> items) {
  const detail::signal_guard guard;
  try {
    begin(n, false, "list io");
    check_unit(n, "list output start");
    detail::begin_write(n, "list output start");
    unit_writer w(n);
    record_loan loan(w);
    detail::write_free_items(w, items);
  } catch (const std::bad_alloc&) {
    out_of_space();
  }
}

void write_pattern_record(int n, std::string_view pattern, std::initializer_list<value> values) {
  write_pattern_record(n, pattern, std::span<const value>(values.begin(), values.size()));
}

void write_pattern_record(int n, std::string_view pattern, std::span<const value> values) {
  const detail::signal_guard guard;
  try {
    begin(n, false, pattern);
    check_unit(n, "write start");
    detail::begin_write(n, "write start");
    // Tables repeat one pattern for thousands of records: keep the last one parsed.
    static std::string last_text;
    static detail::parsed_pattern last;
    if (!last.ok || last_text != pattern) {
      last = detail::parse_pattern(pattern);
      last_text.assign(pattern);
    }
    if (!last.ok) report_fatal_io("fmt", "bad format");
    unit_writer w(n);
    {
      record_loan loan(w);
      detail::walk_pattern(last, values, w);
    }
    transfer().pattern.clear();
  } catch (const std::bad_alloc&) {
    out_of_space();
  }
}

bool read_free_record(int n, std::initializer_list<target> targets, bool end_handling) {
  return read_free_record(n, std::span<const target>(targets.begin(), targets.size()),
                          end_handling);
}

bool read_free_record(int n, std::span<const target> targets, bool end_handling) {
  const detail::signal_guard guard;
  try {
    begin(n, true, "list io");
    check_unit(n, "read start");
    if (!detail::begin_read(n)) {
      if (end_handling) return false;
      report_fatal_io("read start", "end of file");
    }
    auto& src = detail::unit_at(n).in;
    const detail::scan_error e = detail::read_list(src, targets);
    if (src.error() != 0) detail::report_system_error("list in", src.error());
    switch (e) {
      case detail::scan_error::none:
        return true;
      case detail::scan_error::late_end_of_file:
        return !end_handling;
      case detail::scan_error::end_of_file:
        if (end_handling) return false;
        [[fallthrough]];
      default:
        report_scan_failure(e);
    }
  } catch (const std::bad_alloc&) {
    out_of_space();
  }
}

void read_text_field(int n, std::span<char> text) {
  const detail::signal_guard guard;
  try {
    begin(n, true, "(A" + std::to_string(text.size()) + ")");
    check_unit(n, "read start");
    if (!detail::begin_read(n)) report_fatal_io("read start", "end of file");
    auto& src = detail::unit_at(n).in;
    const detail::scan_error e = detail::read_field(src, text);
    // Every stream failure of a read is a "list in" report; "fmt" stands for the end of file.
    if (src.error() != 0) detail::report_system_error("list in", src.error());
    if (e != detail::scan_error::none) report_fatal_io("fmt", "end of file");
    transfer().pattern.clear();
  } catch (const std::bad_alloc&) {
    out_of_space();
  }
}

}  // namespace textio
