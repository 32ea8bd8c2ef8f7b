// The text layer and run frame shared by fitwave and seedwave.
//
// Every transfer names a unit 0..99: 0 is standard error, 5 the console input, 6 the console
// output; the programs connect files to other units with open_text_file. Every record written
// ends in CR LF; input records may end in CR LF or LF. No operation returns an error: a failure
// ends the run with the fatal-error report on standard error (see report_fatal_io), except the
// end of file that read_free_record returns to a caller that asked for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace textio {

inline constexpr int error_unit = 0;
inline constexpr int console_in = 5;
inline constexpr int console_out = 6;

// One item of a free-form record: a text, a 32-bit integer or a real. A float is widened
// exactly to double, so the digits shown are those of the widened value (0.01f: 0.00999999978).
struct item {
  enum class kind { text, integer, real };
  item(std::string_view t) : k(kind::text), text(t) {}
  item(const char* t) : k(kind::text), text(t) {}
  item(std::int32_t i) : k(kind::integer), integer(i) {}
  item(float r) : k(kind::real), real(static_cast<double>(r)) {}
  item(double r) : k(kind::real), real(r) {}
  kind k;
  std::string_view text{};
  std::int32_t integer = 0;
  double real = 0.0;
};

// One value taken by a value descriptor (I, F, E) of an edit pattern.
struct value {
  value(std::int32_t i) : is_integer(true), integer(i) {}
  value(float r) : real(static_cast<double>(r)) {}
  value(double r) : real(r) {}
  bool is_integer = false;
  std::int32_t integer = 0;
  double real = 0.0;
};

// One target of a free-form read. A float target receives the decimal value rounded to double
// and then to float; a text target is filled to its full length, padded with blanks.
struct target {
  enum class kind { integer, single, real, text };
  target(std::int32_t* p) : k(kind::integer), integer(p) {}
  target(float* p) : k(kind::single), single(p) {}
  target(double* p) : k(kind::real), real(p) {}
  target(std::span<char> t) : k(kind::text), text(t) {}
  kind k;
  std::int32_t* integer = nullptr;
  float* single = nullptr;
  double* real = nullptr;
  std::span<char> text{};
};

// Writes one free-form record (more if an item would reach column 80); no items: an empty line.
void write_free_record(int unit, std::initializer_list<item> items = {});
void write_free_record(int unit, std::span<const item> items);

// Writes the values under an edit pattern such as "(F8.4,20(',',E12.4))".
void write_pattern_record(int unit, std::string_view pattern,
                          std::initializer_list<value> values = {});
void write_pattern_record(int unit, std::string_view pattern, std::span<const value> values);

// Reads one value per target, beginning at the next record; no targets: skips one record.
// Returns false only when end_handling is set and the read met the end of the file.
bool read_free_record(int unit, std::initializer_list<target> targets = {},
                      bool end_handling = false);
bool read_free_record(int unit, std::span<const target> targets, bool end_handling = false);

// Puts the first text.size() characters of the next record into text, padded with blanks.
void read_text_field(int unit, std::span<char> text);

// Connects unit to the named file (trailing blanks dropped), creating it when missing.
void open_text_file(int unit, std::string_view name);
// Disconnects unit; a file last written is cut at the end of its last record.
void close_text_file(int unit);

// The same records as text, for a program that writes its files itself: each record the write
// would produce, ended by CR LF. No unit is touched and nothing can fail; a pattern that cannot
// be parsed gives no text.
std::string free_record_text(std::span<const item> items);
class pattern_text {
 public:
  explicit pattern_text(std::string_view pattern);
  ~pattern_text();
  std::string records(std::span<const value> values) const;

 private:
  struct parsed;
  std::unique_ptr<const parsed> parsed_;
};

// One number scanned from text in memory by the rules of a free-form read (an optional sign,
// digits with an optional point, an optional exponent after E, e, D, d or a bare sign), starting
// at text[0] with no blanks skipped. The value is the nearest double of the decimal read (a float
// target rounds it once more); it may be infinite when the exponent is large. Never fails hard:
// error says why no number stands at the start, and next is where the scan stopped.
enum class number_error { none, invalid_number, exponent_field };
struct scanned_number {
  double value = 0.0;
  std::size_t next = 0;  // index of the first character not part of the number
  number_error error = number_error::none;
};
scanned_number scan_real(std::string_view text);

// Free-form reads from text held in memory, by the rules and the scanner of read_free_record
// with end handling: each read takes one value per target from the next record on (values may
// run on over records; a slash ends the read, targets left keep their values) and discards the
// rest of the record. Nothing is reported: the status says what the read met.
enum class list_status {
  values,  // every target has had its value (or its null)
  end,     // the text ended before a value; read_free_record would return false here
  cut,     // the text ended after the values, inside the rest of the record (or inside quoted
           // text): read_free_record would return false here too
  invalid_number,
  exponent_field,
  bad_repetition_count,
  invalid_integer,
  integer_overflow,
};
class list_reader {
 public:
  explicit list_reader(std::string_view text);
  ~list_reader();
  list_status read(std::span<const target> targets);
  // Index in the text of the next character a read takes (a CR LF counts as its LF).
  std::size_t position() const;

 private:
  struct state;
  std::unique_ptr<state> state_;
};

// Run frame. start_run installs the signal handlers, connects units 0, 5 and 6 and arranges the
// shutdown (close and cut every connected file, once) at every exit. Call it first in main.
void start_run();
// The end of a run: nothing printed, shutdown, exit status 0 (or the status given).
[[noreturn]] void stop_run(int status = 0);

}  // namespace textio
