// The run frame: start-up, the normal end, the fatal-error report, the shutdown and the signals.
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>

#include "textio/detail/layer.h"
#include "textio/textio.h"

namespace textio::detail {
namespace {

volatile std::sig_atomic_t reported = 0;
volatile std::sig_atomic_t shutdown_begun = 0;
volatile std::sig_atomic_t busy = 0;         // depth of signal_guard
volatile std::sig_atomic_t held_signal = 0;  // an interrupt or termination held back
volatile std::sig_atomic_t waiting = 0;      // inside input_wait

// Straight to the descriptor: usable from a signal handler, and nothing is left in a buffer.
void write_error_line(std::string_view text) {
  std::string line(text);
  line += "\r\n";
  std::string_view rest = line;
  while (!rest.empty()) {
    const ssize_t n = ::write(2, rest.data(), rest.size());
    if (n <= 0) return;
    rest.remove_prefix(static_cast<std::size_t>(n));
  }
}

extern "C" void on_arithmetic_fault(int) {
  write_error_line("Floating Exception");
  shutdown();
  abnormal_end();
}

extern "C" void on_abort(int) {
  write_error_line("IOT Trap");
  shutdown();
  abnormal_end();
}

// The end of a run by the interrupt key or a termination request; the shutdown runs at exit.
[[noreturn]] void end_by_signal(int sig) {
  // No second one may start another exit meanwhile.
  sigset_t both;
  sigemptyset(&both);
  sigaddset(&both, SIGINT);
  sigaddset(&both, SIGTERM);
  sigprocmask(SIG_BLOCK, &both, nullptr);
  // Texts without allocation: the signal may have come from outside the layer.
  static constexpr char interrupt[] = "Interrupt\r\n", killed[] = "Killed\r\n";
  const std::string_view text = sig == SIGINT ? interrupt : killed;
  [[maybe_unused]] const ssize_t n = ::write(2, text.data(), text.size());
  std::exit(1);
}

void act_on_held_signal() {
  if (held_signal != 0) end_by_signal(held_signal);
}

extern "C" void on_interrupt_or_termination(int sig) {
  if (busy != 0 && waiting == 0) {
    held_signal = sig;
    return;
  }
  end_by_signal(sig);
}

void install(int sig, void (*handler)(int)) {
  struct sigaction sa {};
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  sigaction(sig, &sa, nullptr);
}

extern "C" void shutdown_at_exit() {
  shutdown();
}

}  // namespace

void shutdown() {
  if (shutdown_begun) return;
  shutdown_begun = 1;
  // Not a signal_guard: a signal held back here has nothing left to do, the run is ending.
  busy = busy + 1;
  for (int n = 0; n <= max_unit; ++n) close_unit(n);
  busy = busy - 1;
}

signal_guard::signal_guard() {
  busy = busy + 1;
}

signal_guard::~signal_guard() {
  busy = busy - 1;
  if (busy == 0) act_on_held_signal();
}

input_wait::input_wait() {
  waiting = 1;
  act_on_held_signal();
}

input_wait::~input_wait() {
  waiting = 0;
}

void report_fatal_io(std::string_view context, std::string_view message) {
  std::string first(context);
  first += ": ";
  first += message;
  write_error_line(first);
  if (reported) {
    // A failure while the first report shuts down: no second shutdown.
    write_error_line("fatal error during shutdown: aborting");
    std::abort();
  }
  reported = 1;
  const transfer_state& t = transfer();
  std::string state = "apparent state: unit " + std::to_string(t.unit) + " ";
  const bool in_range = t.unit >= 0 && t.unit <= max_unit;
  if (in_range && unit_at(t.unit).named) {
    state += "named " + unit_at(t.unit).name;
  } else {
    state += "(unnamed)";
  }
  write_error_line(state);
  if (!t.pattern.empty()) write_error_line("last format: " + t.pattern);
  write_error_line(t.reading ? "lately reading sequential formatted external IO"
                             : "lately writing sequential formatted external IO");
  shutdown();
  abnormal_end();
}

void report_system_error(std::string_view context, int err) {
  report_fatal_io(context, std::strerror(err));
}

void reset_layer() {
  for (int n = 0; n <= max_unit; ++n) {
    unit& u = unit_at(n);
    if (u.connected && !u.console) ::close(u.fd);
    u = unit{};
  }
  connect_console_units();
  transfer() = transfer_state{};
  reported = 0;
  shutdown_begun = 0;
  busy = 0;
  held_signal = 0;
  waiting = 0;
}

}  // namespace textio::detail

namespace textio {

void start_run() {
  using namespace detail;
  install(SIGFPE, on_arithmetic_fault);
  install(SIGABRT, on_abort);
  struct sigaction old {};
  // An interrupt that the caller had ignored stays ignored.
  if (sigaction(SIGINT, nullptr, &old) != 0 || old.sa_handler != SIG_IGN)
    install(SIGINT, on_interrupt_or_termination);
  install(SIGTERM, on_interrupt_or_termination);
  connect_console_units();
  std::atexit(shutdown_at_exit);
}

void stop_run(int status) {
  detail::shutdown();
  detail::act_on_held_signal();
  std::exit(status);
}

}  // namespace textio
