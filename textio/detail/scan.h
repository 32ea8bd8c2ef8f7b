// Free-form and fixed-width input: the scanning of values from a stream of characters. The
// scanners never throw; they return an error code, and the caller turns it into a report.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "textio/textio.h"

namespace textio::detail {

// Characters of one connection, with CR LF read as LF and one character of push-back. Once the
// end of the file has been met no further character is taken from the underlying stream.
class char_source {
 public:
  static constexpr int eof = -1;
  virtual ~char_source() = default;
  int get();
  void unget(int c) {
    if (c != eof) pushed_ = c;
  }
  bool at_eof() const { return at_eof_ && pushed_ == none; }
  // Forgets the end of file (a unit that is opened or closed) and any pushed-back character.
  void reset() {
    at_eof_ = false;
    pushed_ = none;
  }
  bool has_pushed() const { return pushed_ != none; }

 protected:
  // The next raw byte, or eof; peek_raw does not consume it.
  virtual int next_raw() = 0;
  virtual int peek_raw() = 0;

 private:
  static constexpr int none = -2;
  int pushed_ = none;
  bool at_eof_ = false;
};

// A source over text held in memory, for tests and for parsing single answers.
class string_source : public char_source {
 public:
  explicit string_source(std::string_view s) : s_(s) {}
  // Index of the next character that get() will return.
  std::size_t pos() const { return has_pushed() ? pos_ - 1 : pos_; }

 protected:
  int next_raw() override {
    return pos_ < s_.size() ? static_cast<unsigned char>(s_[pos_++]) : eof;
  }
  int peek_raw() override { return pos_ < s_.size() ? static_cast<unsigned char>(s_[pos_]) : eof; }

 private:
  std::string_view s_;
  std::size_t pos_ = 0;
};

enum class scan_error {
  none,
  end_of_file,       // met while looking for a value
  late_end_of_file,  // met while the rest of the record was discarded, or inside quoted text
  invalid_number,
  exponent_field,
  bad_repetition_count,
  invalid_integer,
  integer_overflow,
};

// A decimal number as read: (-1)^negative * digits * 10^exponent, at most 40 significant digits.
struct decimal {
  bool negative = false;
  std::string digits;  // no leading zeros; empty for zero
  std::int64_t exponent = 0;
};

// The nearest double, and the value truncated toward zero as a 32-bit integer.
double to_double(const decimal& d);
scan_error to_int32(const decimal& d, std::int32_t& out);

struct number_token {
  scan_error error = scan_error::none;
  std::int64_t repeat = 0;  // > 0: "r*" was read, not a number
  decimal value;
};

// Scans a number (or, when allow_repeat, a repeat count r*) starting at the next character. The
// character that ends it is left in the source.
number_token scan_number(char_source& src, bool integer_target, bool allow_repeat);

struct text_token {
  scan_error error = scan_error::none;
  std::int64_t repeat = 0;
  std::string value;
  bool ended_by_eof = false;  // the file ended inside quoted text: the value does not count
};

// Scans a quoted or unquoted text value (or a repeat count r*).
text_token scan_text(char_source& src, bool allow_repeat);

// One free-form read: a value per target from the next record, then the rest of the record
// is discarded. Returns none, end_of_file, late_end_of_file or a fatal error.
scan_error read_list(char_source& src, std::span<const target> targets);

// One fixed-width read into text; none or end_of_file (the file ended before the line end).
scan_error read_field(char_source& src, std::span<char> text);

}  // namespace textio::detail
