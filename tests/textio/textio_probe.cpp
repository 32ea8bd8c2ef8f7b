// A tiny program on the text layer that ends its run in the way named by the first line of the
// file "scenario" in its working directory; the run-frame tests watch how it ends.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "textio/textio.h"

namespace {

using namespace textio;

void ask_integer() {
  write_free_record(console_out, {"Enter Number of Iterations (Nit: up to 10)"});
  std::int32_t nit = 0;
  read_free_record(console_in, {&nit});
  write_free_record(console_out, {"nit=", nit});
}

void write_table_rows(int unit, int rows) {
  write_pattern_record(unit, "('period(sec),kokuji1461',20(',Iteration No.',I3))", {1});
  for (int i = 1; i <= rows; ++i)
    write_pattern_record(unit, "(F8.4,20(',',E12.4))", {0.01f * static_cast<float>(i), 800.0f});
}

}  // namespace

int main() {
  std::string s;
  {
    std::ifstream f("scenario");
    std::getline(f, s);
  }
  if (s == "full_stdout") {
    const int fd = ::open("/dev/full", O_WRONLY);
    ::dup2(fd, 1);
  }
  if (s == "directory_console") ::dup2(::open(".", O_RDONLY | O_DIRECTORY), 0);
  if (s == "closed_console") ::close(0);
  if (s == "ignored_interrupt") std::signal(SIGINT, SIG_IGN);
  start_run();

  if (s == "answers") {
    ask_integer();
    float tb = 4.0f, tc = 35.0f;
    std::array<char, 20> name{};
    read_free_record(console_in, {&tb, &tc});
    read_free_record(console_in, {std::span<char>(name)});
    write_free_record(console_out, {"  tb,tc=", tb, tc});
    write_free_record(console_out, {std::string_view(name.data(), name.size())});
    stop_run();
  } else if (s == "bad_number" || s == "overflow" || s == "eof_list") {
    ask_integer();
  } else if (s == "read_start_eof") {
    read_free_record(console_in);
    ask_integer();
  } else if (s == "blank_name" || s == "eof_field" || s == "directory_console" ||
             s == "closed_console") {
    write_pattern_record(console_out, "(/,1X,'Enter output acceleration file name')");
    std::array<char, 20> name{};
    read_text_field(console_in, name);
    open_text_file(12, std::string_view(name.data(), name.size()));
  } else if (s == "table_then_fail") {
    open_text_file(11, "table.csv");
    write_table_rows(11, 2);
    ask_integer();
  } else if (s == "table_then_return") {
    open_text_file(11, "table.csv");
    write_table_rows(11, 2);
    return 0;  // the shutdown at exit closes and cuts the table
  } else if (s == "table_then_fpe") {
    open_text_file(11, "table.csv");
    write_table_rows(11, 1);
    std::raise(SIGFPE);
  } else if (s == "abort") {
    std::abort();
  } else if (s == "bad_data") {
    open_text_file(11, "data.csv");
    read_free_record(11);
    float t = 0, a = 0;
    while (read_free_record(11, {&t, &a}, true)) {
    }
  } else if (s == "read_only") {
    open_text_file(11, "ro.csv");
    write_free_record(11, {"x"});
  } else if (s == "read_only_pattern" || s == "directory_write") {
    open_text_file(11, s == "read_only_pattern" ? "ro.csv" : "sub");
    write_table_rows(11, 1);
  } else if (s == "directory_read") {
    open_text_file(11, "sub");
    read_free_record(11);
  } else if (s == "full_file") {
    open_text_file(12, "/dev/full");
    write_free_record(12, {"time(sec),Acc(gal),eamp,eamp*ampfac"});
    close_text_file(12);
  } else if (s == "full_stdout") {
    write_free_record(console_out, {"Enter Number of Iterations (Nit: up to 10)"});
  } else if (s == "second_report") {
    open_text_file(12, "/dev/full");
    write_free_record(12, {"time(sec),Acc(gal),eamp,eamp*ampfac"});
    ask_integer();
  } else if (s == "interrupt") {
    ask_integer();
  } else if (s == "ignored_interrupt") {
    write_free_record(console_out, {"waiting"});
    read_free_record(console_in);
    write_free_record(console_out, {"done"});
  }
  return 0;
}
