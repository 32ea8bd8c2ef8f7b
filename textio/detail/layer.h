// The state of the text layer shared by the transfers and the run frame: the unit table, the
// transfer state the fatal-error report names, and the shutdown.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "textio/detail/scan.h"

namespace textio::detail {

inline constexpr int max_unit = 99;

// Characters of a unit's file descriptor, read in blocks; remembers a read error.
class unit_source : public char_source {
 public:
  void attach(int fd);
  void drop_buffer();  // forgets characters read ahead (call after repositioning the fd)
  std::size_t unread() const { return len_ - pos_ + (has_pushed() ? 1 : 0); }
  int error() const { return error_; }

 protected:
  int next_raw() override;
  int peek_raw() override;

 private:
  bool fill();
  int fd_ = -1;
  std::vector<char> buf_;
  std::size_t pos_ = 0, len_ = 0;
  bool raw_eof_ = false;
  int error_ = 0;
};

struct unit {
  bool connected = false;
  int fd = -1;
  bool console = false;  // 0, 5, 6: never closed, written record by record
  bool named = false;
  std::string name;
  bool can_read = false, can_write = false;
  bool last_was_write = false;
  bool seekable = false;
  std::string out;  // records written but not yet handed to the file
  unit_source in;
};

struct transfer_state {
  int unit = 0;          // unit of the most recent transfer or open
  bool reading = false;  // direction of the most recent transfer that began
  std::string pattern;   // "list io", an edit pattern, or empty
};

unit& unit_at(int n);  // n in 0..max_unit
transfer_state& transfer();

void connect_console_units();
// Closes a unit as close_text_file does; a failure ends the run.
void close_unit(int n);

// The start of a transfer on a connected unit (each ends the run on failure). begin_read is
// false when the unit has already met the end of its file.
bool begin_read(int n);
void begin_write(int n, std::string_view context);
// A finished record to the unit: CR LF added, record left empty.
void send_record(int n, std::string& record);

// The report, the shutdown and the abnormal end of the run frame.
[[noreturn]] void report_fatal_io(std::string_view context, std::string_view message);
[[noreturn]] void report_system_error(std::string_view context, int err);
void shutdown();

// Holds back the interrupt and the termination request while the layer is busy, so that the
// shutdown they run finds every file at the end of a whole record, each record written once,
// and no allocation half done. A signal held back acts when the outermost guard ends.
class signal_guard {
 public:
  signal_guard();
  ~signal_guard();
  signal_guard(const signal_guard&) = delete;
  signal_guard& operator=(const signal_guard&) = delete;
};
// Around a read that may wait for input (the console): a signal held back acts at its start,
// and one that comes while it waits acts at once.
class input_wait {
 public:
  input_wait();
  ~input_wait();
  input_wait(const input_wait&) = delete;
  input_wait& operator=(const input_wait&) = delete;
};

// Every abnormal end: an abort that does not run the abort handler again. It stands alone in
// its own file, so that a program which must outlive a fatal report (a fuzz target) can link
// its own definition, one that leaves by throwing; reset_layer then forgets every connection,
// the report and the shutdown, as at the start of a new run.
[[noreturn]] void abnormal_end();
void reset_layer();

}  // namespace textio::detail
